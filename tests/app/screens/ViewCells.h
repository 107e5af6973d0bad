#pragma once

#include <QStringList>

class QAbstractItemView;

namespace ovalon::testing {

// The texts of one row as the view shows it (after its sorting), column by column.
QStringList cells(const QAbstractItemView *view, int row);

// The texts of one column, top to bottom, as the view shows it.
QStringList column(const QAbstractItemView *view, int column);

} // namespace ovalon::testing
