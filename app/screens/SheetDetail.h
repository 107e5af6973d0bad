#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace ovalon {

class AppModel;
class ScanOverlay;

// The selected sheet: who it counts for, its scan with every answer ringed, and the
// commands on it.
class SheetDetail : public QWidget {
  Q_OBJECT

public:
  explicit SheetDetail(AppModel &model, QWidget *parent = nullptr);

  void refresh();
  int page() const { return page_; }

private:
  void showPage();

  AppModel &model_;
  int page_ = 1;
  QString shownSheet_;
  QStackedWidget *stack_;
  QLabel *title_;
  QLabel *who_;
  QLabel *source_;
  QPushButton *rescan_;
  QPushButton *leaveOut_;
  QPushButton *review_;
  QComboBox *pagePicker_;
  QLabel *pageLabel_;
  ScanOverlay *overlay_;
  QWidget *noScan_;
};

} // namespace ovalon
