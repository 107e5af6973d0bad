#pragma once

#include <QWidget>

class QLabel;
class QStackedWidget;
class QTabBar;

namespace ovalon {

class AppModel;
class BuilderView;
class SheetsView;

// The main area: the empty-library welcome, or the selected test's five tabs with
// the progress banner above them.
class ContentView : public QWidget {
  Q_OBJECT

public:
  explicit ContentView(AppModel &model, QWidget *parent = nullptr);

  QTabBar *tabBar() const { return tabs_; }

private:
  void refresh();

  AppModel &model_;
  QStackedWidget *areas_;
  QWidget *empty_;
  QWidget *test_;
  QTabBar *tabs_;
  QStackedWidget *pages_;
  QWidget *gradeButton_ = nullptr;
  bool refreshing_ = false;
};

} // namespace ovalon
