#pragma once

#include "screens/TabView.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;

namespace ovalon {

class AppModel;
class ReviewList;

// The "Review" tab: every flagged mark, unread page and doubtful ID of the selected test,
// and the decision on the selected one. While it has focus, a choice letter, Delete and
// Return settle the selected mark, so a class can be reviewed from the keyboard.
class ReviewView : public TabView {
  Q_OBJECT

public:
  explicit ReviewView(AppModel &model, QWidget *parent = nullptr);

protected:
  void keyPressEvent(QKeyEvent *event) override;

private:
  void refresh() override;
  void showDetail();

  AppModel &model_;
  QStackedWidget *stack_;
  QPushButton *acceptAll_;
  ReviewList *list_;
  QScrollArea *detailArea_;
  QWidget *detail_ = nullptr;
  QString shownDetail_;
};

} // namespace ovalon
