#include "ViewCells.h"

#include <QAbstractItemView>

namespace ovalon::testing {

QStringList cells(const QAbstractItemView *view, int row) {
  QStringList texts;
  const QAbstractItemModel *model = view->model();
  for (int c = 0; c < model->columnCount(); ++c)
    texts << model->index(row, c).data().toString();
  return texts;
}

QStringList column(const QAbstractItemView *view, int column) {
  QStringList texts;
  const QAbstractItemModel *model = view->model();
  for (int r = 0; r < model->rowCount(); ++r)
    texts << model->index(r, column).data().toString();
  return texts;
}

} // namespace ovalon::testing
