#include "screens/KeyCheckView.h"

#include "model/AppModel.h"
#include "model/Choices.h"
#include "scanning/KeyScan.h"
#include "screens/FlagDetail.h"
#include "screens/ToneLabel.h"
#include "screens/Ui.h"
#include "workflow/KeyCheck.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

namespace {

bool isDoubtful(const KeyRead &read) {
  return !read.missing && read.mark.flag.has_value();
}

} // namespace

KeyCheckView::KeyCheckView(AppModel &model, QWidget *parent) : QDialog(parent), model_(model) {
  setObjectName("keyCheck");
  setWindowTitle("Check the Scanned Key");
  resize(720, 760);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(ui::heading("Check the Scanned Key", this));

  const auto &check = model.keyCheck();
  const ExamDocument *doc = check ? model.document(check->examID) : nullptr;
  if (check && doc) {
    const ScannedKey &key = check->key;
    const Exam &exam = doc->exam;
    answers_ = KeyCheck::cleanAnswers(key, exam);
    answers_.resize(static_cast<size_t>(exam.questionCount));

    if (check->gradingNote)
      layout->addWidget(ui::note(ui::text(*check->gradingNote), this));
    int doubtful = static_cast<int>(std::ranges::count_if(key.answers, isDoubtful));
    auto *summary = new QLabel(
        doubtful == 0
            ? QString("Every answer was clear. Look it over, change any letter, then use it.")
            : QString::number(doubtful) + (doubtful == 1 ? " answer needs" : " answers need") +
                  " you: pick the letter, or leave it as it is in the key.",
        this);
    summary->setObjectName("keySummary");
    summary->setWordWrap(true);
    layout->addWidget(summary);
    QString versionLetter = ui::text(Choices::letter(key.version));
    if (key.version != 0)
      layout->addWidget(ui::note("Read from a version " + versionLetter +
                                     " sheet and shown in version A\u2019s numbers and letters, "
                                     "like the key below.",
                                 this));
    for (int page : key.missingPages)
      layout->addWidget(ui::note("Page " + QString::number(page) +
                                     " of the key sheet wasn\u2019t in the scan, so its questions "
                                     "are blank here.",
                                 this));
    if (key.extraSheets > 0)
      layout->addWidget(ui::note(QString::number(key.extraSheets) + " more key sheet" +
                                     (key.extraSheets == 1 ? " was" : "s were") +
                                     " in the scan. Only the first was read.",
                                 this));

    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    auto *list = new QWidget(scroll);
    auto *grid = new QVBoxLayout(list);
    rows_.resize(static_cast<size_t>(exam.questionCount));
    for (int q = 0; q < exam.questionCount; ++q) {
      const auto &questionKey = exam.key[static_cast<size_t>(q)];
      currentKey_.push_back(questionKey.correct.empty() ? std::nullopt
                                                        : std::optional(questionKey.correct));
      const KeyRead *read =
          q < static_cast<int>(key.answers.size()) ? &key.answers[static_cast<size_t>(q)] : nullptr;
      Row &row = rows_[static_cast<size_t>(q)];
      row.doubtful = read && isDoubtful(*read);

      auto *frame = new QFrame(list);
      frame->setObjectName("question" + QString::number(q + 1));
      auto *rowLayout = new QVBoxLayout(frame);
      rowLayout->setContentsMargins(4, 4, 4, 4);
      auto *top = new QHBoxLayout;
      QString title = "Question " + QString::number(q + 1);
      if (key.version != 0 && read)
        title += " (" + QString::number(read->position + 1) + " on version " + versionLetter + ")";
      auto *name = new QLabel(title, frame);
      name->setMinimumWidth(190);
      top->addWidget(name);
      for (int c = 0; c < exam.choiceCount; ++c) {
        auto *letter = new QPushButton(ui::text(Choices::letter(c)), frame);
        letter->setObjectName("choice" + ui::text(Choices::letter(c)));
        letter->setCheckable(true);
        letter->setAccessibleName("Question " + QString::number(q + 1) + ", " + letter->text());
        letter->setFixedWidth(letter->fontMetrics().horizontalAdvance("MM") + 16);
        connect(letter, &QPushButton::clicked, this, [this, q, c] { setAnswer(q, c); });
        top->addWidget(letter);
        row.letters.push_back(letter);
      }
      row.was = ui::note({}, frame);
      row.was->setWordWrap(false);
      top->addWidget(row.was);
      top->addStretch();
      rowLayout->addLayout(top);
      if (read && read->crop)
        rowLayout->addWidget(storedPicture(read->crop, "The scanned row", 420, frame));
      if (read && (read->missing || read->mark.flag))
        rowLayout->addWidget(ui::note(ui::text(KeyScan::note(*read)), frame));
      if (row.doubtful) {
        row.needsLook = new QWidget(frame);
        auto *look = new QHBoxLayout(row.needsLook);
        look->setContentsMargins(0, 0, 0, 0);
        auto *badge = new ToneLabel(ui::Tone::review, "Needs a Look", row.needsLook);
        badge->setWordWrap(false);
        QFont font = badge->font();
        font.setBold(true);
        badge->setFont(font);
        look->addWidget(badge);
        auto *keep = new QPushButton(currentKey_.back() ? "Keep the answer already in the key"
                                                        : "Leave Unkeyed",
                                     row.needsLook);
        keep->setObjectName("keepKey");
        if (!currentKey_.back())
          keep->setToolTip("Set it on the Test step later");
        connect(keep, &QPushButton::clicked, this, [this, q] { setAnswer(q, std::nullopt); });
        look->addWidget(keep);
        look->addStretch();
        rowLayout->addWidget(row.needsLook);
      }
      grid->addWidget(frame);
      showRow(q);
    }
    grid->addStretch();
    scroll->setWidget(list);
    layout->addWidget(scroll, 1);
  }

  auto *bottom = new QHBoxLayout;
  left_ = new QLabel(this);
  left_->setObjectName("leftToSettle");
  bottom->addWidget(left_);
  bottom->addStretch();
  auto *cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("cancelKey");
  use_ = new QPushButton("Use This Key", this);
  use_->setObjectName("useKey");
  use_->setDefault(true);
  bottom->addWidget(cancel);
  bottom->addWidget(use_);
  layout->addLayout(bottom);

  connect(cancel, &QPushButton::clicked, this, &KeyCheckView::reject);
  connect(use_, &QPushButton::clicked, this, [this] {
    const auto &check = model_.keyCheck();
    if (!check || leftToSettle() > 0)
      return;
    used_ = true;
    model_.applyKey(answers_, check->examID);
  });
  connect(&model, &AppModel::keyCheckChanged, this, &KeyCheckView::modelChanged);
  showCount();
}

int KeyCheckView::leftToSettle() const {
  int left = 0;
  for (size_t q = 0; q < rows_.size(); ++q)
    if (rows_[q].doubtful && !settled_.contains(static_cast<int>(q)))
      ++left;
  return left;
}

void KeyCheckView::setAnswer(int question, std::optional<int> choice) {
  answers_[static_cast<size_t>(question)] = choice;
  settled_.insert(question);
  showRow(question);
  showCount();
}

void KeyCheckView::showRow(int question) {
  Row &row = rows_[static_cast<size_t>(question)];
  auto answer = answers_[static_cast<size_t>(question)];
  const auto &current = currentKey_[static_cast<size_t>(question)];
  for (size_t c = 0; c < row.letters.size(); ++c)
    row.letters[c]->setChecked(answer == static_cast<int>(c));
  bool differs = answer && current && !current->contains(*answer);
  row.was->setText(differs ? "was " + ui::text(Choices::text(*current)) : QString());
  if (row.needsLook)
    row.needsLook->setVisible(!settled_.contains(question));
}

void KeyCheckView::showCount() {
  int left = leftToSettle();
  left_->setText(left > 0 ? QString::number(left) + " to settle above" : QString());
  use_->setEnabled(left == 0 && model_.keyCheck().has_value());
}

void KeyCheckView::modelChanged() {
  if (!model_.keyCheck() && isVisible())
    done(used_ ? QDialog::Accepted : QDialog::Rejected);
  else if (!model_.keyCheck())
    setResult(used_ ? QDialog::Accepted : QDialog::Rejected);
}

void KeyCheckView::reject() {
  if (model_.keyCheck())
    model_.cancelKeyCheck(); // the model's change closes the dialog
  else
    QDialog::reject();
}

} // namespace ovalon
