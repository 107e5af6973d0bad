#pragma once

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace ovalon {

class AppModel;
class ToneLabel;
struct Exam;
struct ExamDocument;

// "Answer Sheet" on the Test tab: the title and the layout of the printed sheet. The
// layout is fixed once sheets are graded with it, and while a run is going on.
class AnswerSheetSection : public QGroupBox {
  Q_OBJECT

public:
  explicit AnswerSheetSection(AppModel &model, QWidget *parent = nullptr);

  // Shows the test; `otherTest` replaces even a field that has the keyboard.
  void show(const ExamDocument &document, bool otherTest, bool running);
  void focusTitle();

private:
  QSpinBox *spin(const char *name, int low, int high, const QString &what, void (Exam::*set)(int));

  AppModel &model_;
  bool showing_ = false;
  QLineEdit *title_;
  QSpinBox *questions_;
  QLabel *questionsNote_;
  QSpinBox *choices_;
  QSpinBox *idDigits_;
  QLabel *idNote_;
  ToneLabel *idWarning_;
  QComboBox *paper_;
  QWidget *lock_;
  QLabel *lockText_;
};

} // namespace ovalon
