#pragma once

#include <QWidget>

class QLabel;
class QTreeWidget;

namespace ovalon {

class AppModel;

// The graded sheets of the selected test, one row each, with a summary line above.
// Selecting a row selects the sheet in the model.
class SheetTable : public QWidget {
  Q_OBJECT

public:
  explicit SheetTable(AppModel &model, QWidget *parent = nullptr);

  void refresh();

private:
  void selectionMoved();
  void showMenu(const QPoint &at);

  AppModel &model_;
  QLabel *summary_;
  QTreeWidget *table_;
  bool filling_ = false;
};

} // namespace ovalon
