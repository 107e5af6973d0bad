#pragma once

#include <QGroupBox>

class QLineEdit;

namespace ovalon {

class AppModel;
class KeyGrid;
class ToneLabel;
struct ExamDocument;

// "Answer Key" on the Test tab: typed in order, clicked question by question, or read
// from a bubbled key sheet.
class AnswerKeySection : public QGroupBox {
  Q_OBJECT

public:
  explicit AnswerKeySection(AppModel &model, QWidget *parent = nullptr);

  void show(const ExamDocument &document);
  KeyGrid *grid() const { return grid_; }

private:
  void fillKey();

  AppModel &model_;
  ToneLabel *progress_;
  QLineEdit *keyText_;
  KeyGrid *grid_;
};

} // namespace ovalon
