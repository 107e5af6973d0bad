#pragma once

#include <QWidget>

class QStackedWidget;
class QTabBar;

namespace ovalon {

class AppModel;
class BuilderView;

// The main area: the empty-library welcome, or the selected test's five tabs with
// the progress banner above them.
class ContentView : public QWidget {
  Q_OBJECT

public:
  explicit ContentView(AppModel &model, QWidget *parent = nullptr);

  QTabBar *tabBar() const { return tabs_; }
  // Puts the cursor in the test's title, all of it selected, ready to be typed over.
  void focusTitle();

signals:
  // The empty library's "New Test" was clicked.
  void newTestRequested();
  // The Print tab's "Preview…" was clicked.
  void printPreviewRequested();

private:
  void refresh();

  AppModel &model_;
  QStackedWidget *areas_;
  QWidget *empty_;
  QWidget *test_;
  QTabBar *tabs_;
  QStackedWidget *pages_;
  BuilderView *builder_;
  QWidget *gradeButton_ = nullptr;
  int reviewIconOpen_ = -1; // which icon the Review tab shows: 1 open items, 0 none
  bool refreshing_ = false;
};

} // namespace ovalon
