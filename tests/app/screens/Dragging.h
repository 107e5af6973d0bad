#pragma once

#include <QWidget>

#include <filesystem>
#include <memory>
#include <utility>

class QMimeData;

namespace ovalon::testing {

// What a file manager hands over when a file is dragged.
std::unique_ptr<QMimeData> dragOf(const std::filesystem::path &file);

// What a drag of `file` over `area` and a drop on it come to: whether each was accepted.
std::pair<bool, bool> dragAndDrop(QWidget *area, const std::filesystem::path &file);

} // namespace ovalon::testing
