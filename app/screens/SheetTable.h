#pragma once

#include <QWidget>

class QLabel;
class QSortFilterProxyModel;
class QTreeView;

namespace ovalon {

class AppModel;
class SheetTableModel;

// The graded sheets of the selected test, one row each and sortable by any column,
// with a summary line above. Selecting a row selects the sheet in the model.
class SheetTable : public QWidget {
  Q_OBJECT

public:
  explicit SheetTable(AppModel &model, QWidget *parent = nullptr);

  void refresh();
  QTreeView *view() const { return view_; }

private:
  void selectionMoved();
  void showMenu(const QPoint &at);
  // Wide enough that no name is cut short while the pane beside has room to give.
  void fitColumns();

  AppModel &model_;
  QLabel *summary_;
  SheetTableModel *sheets_;
  QSortFilterProxyModel *sorted_;
  QTreeView *view_;
  bool filling_ = false;
};

} // namespace ovalon
