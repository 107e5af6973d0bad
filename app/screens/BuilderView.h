#pragma once

#include <QWidget>

#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace ovalon {

class AppModel;
class KeyRow;
class VersionEdit;

// The Test tab: the sheet's layout, versions, roster and answer key of the
// selected test. Every field is an edit of the test through the model.
class BuilderView : public QWidget {
  Q_OBJECT

public:
  explicit BuilderView(AppModel &model, QWidget *parent = nullptr);

  KeyRow *keyRow(int question) const;

private:
  QWidget *answerSheetSection();
  QWidget *versionsSection();
  QWidget *rosterSection();
  QWidget *answerKeySection();
  void refresh();
  void refreshKey();
  void fillKey();

  AppModel &model_;
  bool refreshing_ = false;
  // The test the fields show; another test replaces even a focused field's text.
  QString shownTest_;

  QLineEdit *title_ = nullptr;
  QSpinBox *questions_ = nullptr;
  QLabel *questionsNote_ = nullptr;
  QSpinBox *choices_ = nullptr;
  QSpinBox *idDigits_ = nullptr;
  QLabel *idNote_ = nullptr;
  QLabel *idWarning_ = nullptr;
  QComboBox *paper_ = nullptr;
  QWidget *lock_ = nullptr;
  QLabel *lockText_ = nullptr;

  QComboBox *versionCount_ = nullptr;
  QPushButton *reshuffle_ = nullptr;
  QCheckBox *shuffleChoices_ = nullptr;
  QPushButton *ownOrder_ = nullptr;
  VersionEdit *versionEdit_ = nullptr;

  QLabel *rosterCount_ = nullptr;
  QPushButton *clearRoster_ = nullptr;

  QLabel *keyProgress_ = nullptr;
  QLineEdit *keyText_ = nullptr;
  QGridLayout *keyGrid_ = nullptr;
  std::vector<KeyRow *> keyRows_;
};

} // namespace ovalon
