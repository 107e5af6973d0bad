#pragma once

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace ovalon {

class AppModel;
class SheetPicture;
class ToneLabel;

// The Print tab: which sheets to print, and a live preview of one page.
class SheetsView : public QWidget {
  Q_OBJECT

public:
  explicit SheetsView(AppModel &model, QWidget *parent = nullptr);

  SheetPicture *picture() const { return picture_; }

signals:
  // "Preview…": every page as it will print, in the print preview window.
  void printPreviewRequested();

protected:
  void showEvent(QShowEvent *event) override;

private:
  QWidget *controls();
  void refresh();

  AppModel &model_;
  bool refreshing_ = false;
  QComboBox *version_ = nullptr;
  QLabel *versionHint_ = nullptr;
  QRadioButton *blank_ = nullptr;
  QSpinBox *copies_ = nullptr;
  QLabel *copiesLabel_ = nullptr;
  QRadioButton *forRoster_ = nullptr;
  QLabel *rosterNote_ = nullptr;
  QCheckBox *dealVersions_ = nullptr;
  ToneLabel *keyWarning_ = nullptr;
  QLabel *previewTitle_ = nullptr;
  QPushButton *page1_ = nullptr;
  QPushButton *page2_ = nullptr;
  SheetPicture *picture_ = nullptr;
};

} // namespace ovalon
