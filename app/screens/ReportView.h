#pragma once

#include "screens/TabView.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace ovalon {

class AppModel;
class Histogram;
class ItemList;
class ScoreList;
class SummaryCards;
class VersionMeans;

// The "Results" tab: whether the scores are final, the exports, and the class's results
// and item analysis as the model computed them.
class ReportView : public TabView {
  Q_OBJECT

public:
  explicit ReportView(AppModel &model, QWidget *parent = nullptr);

private:
  void refresh() override;

  AppModel &model_;
  QStackedWidget *stack_;
  QLabel *status_;
  QPushButton *openReview_;
  QLabel *provisional_;
  QPushButton *scores_;
  QPushButton *slips_;
  QPushButton *report_;
  SummaryCards *cards_;
  Histogram *histogram_;
  VersionMeans *versions_;
  ScoreList *scoreList_;
  ItemList *items_;
  QString shown_; // the test, edit time and sheet count the figures were drawn for
};

} // namespace ovalon
