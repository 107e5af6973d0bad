#include "screens/AnswerKeySection.h"

#include "model/AppModel.h"
#include "screens/KeyGrid.h"
#include "screens/Shortcuts.h"
#include "screens/ToneLabel.h"
#include "screens/Ui.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ovalon {

AnswerKeySection::AnswerKeySection(AppModel &model, QWidget *parent)
    : QGroupBox("Answer Key", parent), model_(model),
      progress_(new ToneLabel(ui::Tone::right, {}, this)), keyText_(new QLineEdit(this)),
      grid_(new KeyGrid(this)) {
  progress_->setObjectName("keyProgress");
  progress_->setWordWrap(false);
  QFont bold = progress_->font();
  bold.setBold(true);
  progress_->setFont(bold);
  keyText_->setObjectName("keyText");
  keyText_->setAccessibleName("Key typed in order");
  keyText_->setPlaceholderText("Type the key in order, like ABDCA BBCAD\u2026");
  auto *fill = new QPushButton("Fill Key", this);
  fill->setObjectName("fillKey");
  connect(fill, &QPushButton::clicked, this, &AnswerKeySection::fillKey);
  connect(keyText_, &QLineEdit::returnPressed, this, &AnswerKeySection::fillKey);
  auto *scan = new QPushButton(ui::symbol("doc.viewfinder"), "Scan Answer Key\u2026", this);
  scan->setObjectName("scanAnswerKey");
  scan->setToolTip("Read the key from a sheet you bubbled and scanned (" +
                   shortcuts::text(shortcuts::scanAnswerKey()) +
                   "). You check it before it\u2019s used.");
  connect(scan, &QPushButton::clicked, this, [this] { model_.scanAnswerKey(); });
  connect(grid_, &KeyGrid::keyChanged, this, [this](int q, const QuestionKey &key) {
    model_.update(
        [q, key](ExamDocument &d) { d.exam.setKey(q, key.correct, key.points, key.dropped); });
  });

  auto *typed = new QHBoxLayout;
  typed->addWidget(progress_);
  typed->addSpacing(10);
  typed->addWidget(keyText_, 1);
  typed->addWidget(fill);
  typed->addWidget(scan);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(typed);
  layout->addWidget(ui::note("Click a letter to set the answer. Ctrl-click to accept another one "
                             "too. Right-click a question for points or to drop it.",
                             this));
  layout->addWidget(grid_);
}

void AnswerKeySection::fillKey() {
  std::string text = ui::utf8(keyText_->text());
  model_.update([&text](ExamDocument &d) { d.exam.applyKeyText(text, 0); });
}

void AnswerKeySection::show(const ExamDocument &document) {
  const Exam &exam = document.exam;
  size_t unkeyed = exam.unkeyedQuestions().size();
  QString progress = unkeyed == 0 ? QString("Complete") : QString("%1 to go").arg(unkeyed);
  if (progress_->text() != progress)
    progress_->setText(progress);
  // Green once done; until then as plain as the rest of the form.
  progress_->setTone(unkeyed == 0 ? ui::Tone::right : ui::Tone::plain);
  grid_->show(exam);
}

} // namespace ovalon
