#pragma once

#include <QStringList>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <utility>

class QAbstractItemView;
class QMimeData;

namespace ovalon::testing {

// Copies a library holding the sample class, graded once per test run, into `folder`.
void copyGradedSampleLibrary(const std::filesystem::path &folder);

// What a drag of `file` over `area` and a drop on it come to: whether each was accepted.
std::pair<bool, bool> dragAndDrop(QWidget *area, const std::filesystem::path &file);

// The texts of one row as the view shows it (after its sorting), column by column.
QStringList cells(const QAbstractItemView *view, int row);

QStringList column(const QAbstractItemView *view, int column);

} // namespace ovalon::testing
