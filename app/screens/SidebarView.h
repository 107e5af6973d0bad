#pragma once

#include <QWidget>

class QLabel;
class QListView;
class QListWidget;
class QSortFilterProxyModel;

namespace ovalon {

class AppModel;
class TestListModel;

// The list of tests beside the main area, newest first, with the "New Test" button,
// and below it any file in the library that can't be opened, with the reason.
// The highlighted row is always the test the main area shows.
class SidebarView : public QWidget {
  Q_OBJECT

public:
  explicit SidebarView(AppModel &model, QWidget *parent = nullptr);

  QListView *list() const { return list_; }
  // Files in the library that can't be opened, each with its reason; hidden when there are none.
  QListWidget *unreadableList() const { return unreadable_; }

signals:
  // "New Test" was clicked; the window makes the test and puts the cursor in its title.
  void newTestRequested();

private:
  void refresh();
  void refreshUnreadable();
  void currentMoved(const QModelIndex &current);
  void showMenu(const QPoint &position);

  AppModel &model_;
  TestListModel *tests_;
  QSortFilterProxyModel *sorted_;
  QListView *list_;
  QLabel *unreadableHeading_;
  QListWidget *unreadable_;
  bool refreshing_ = false;
};

} // namespace ovalon
