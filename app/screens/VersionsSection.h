#pragma once

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace ovalon {

class AppModel;
class VersionEdit;
struct ExamDocument;

// "Versions" on the Test tab: how many, their shuffled or typed question orders, and
// the answer keys of every version as a PDF.
class VersionsSection : public QGroupBox {
  Q_OBJECT

public:
  explicit VersionsSection(AppModel &model, QWidget *parent = nullptr);

  // Shows the test; a graded test or a running job locks the versions.
  void show(const ExamDocument &document, bool otherTest, bool locked);

private:
  AppModel &model_;
  QComboBox *count_;
  QPushButton *reshuffle_;
  QCheckBox *shuffleChoices_;
  QPushButton *ownOrder_;
  VersionEdit *edit_;
};

} // namespace ovalon
