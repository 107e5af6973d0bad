#include "screens/AnswerSheetSection.h"

#include "model/AppModel.h"
#include "screens/ToneLabel.h"
#include "screens/Ui.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ovalon {

namespace {

void setTextIfChanged(QLabel *label, const QString &text) {
  if (label->text() != text)
    label->setText(text);
}

QHBoxLayout *withNote(QWidget *field, QLabel *note) {
  auto *row = new QHBoxLayout;
  row->addWidget(field);
  row->addWidget(note, 1);
  return row;
}

// A form label whose mnemonic moves the keyboard to `field`, for rows where the field
// shares its line with a note.
QLabel *labelFor(const QString &text, QWidget *field) {
  auto *label = new QLabel(text, field->parentWidget());
  label->setBuddy(field);
  return label;
}

} // namespace

AnswerSheetSection::AnswerSheetSection(AppModel &model, QWidget *parent)
    : QGroupBox("Answer Sheet", parent), model_(model) {
  title_ = new QLineEdit(this);
  title_->setObjectName("title");
  title_->setPlaceholderText("Test title");
  title_->setAccessibleName("Title");
  connect(title_, &QLineEdit::textEdited, this, [this](const QString &text) {
    model_.update([title = ui::utf8(text)](ExamDocument &d) { d.exam.title = title; });
  });

  questions_ =
      spin("questions", 1, Exam::maxQuestions, "Number of questions", &Exam::setQuestionCount);
  questionsNote_ = ui::note({}, this);
  choices_ = spin("choices", 2, Exam::maxChoices, "Choices", &Exam::setChoiceCount);
  idDigits_ = spin("idDigits", 0, Exam::maxIDDigits, "Student ID digits", &Exam::setIDDigits);
  idNote_ = ui::note({}, this);
  idWarning_ = new ToneLabel(ui::Tone::warning, {}, this);
  idWarning_->setObjectName("idWarning");

  paper_ = new QComboBox(this);
  paper_->setObjectName("paper");
  paper_->setAccessibleName("Paper");
  for (Paper paper : PaperInfo::allCases)
    paper_->addItem(ui::text(std::string(PaperInfo::title(paper))), static_cast<int>(paper));
  connect(paper_, &QComboBox::activated, this, [this](int index) {
    auto paper = static_cast<Paper>(paper_->itemData(index).toInt());
    model_.update([paper](ExamDocument &d) { d.exam.paper = paper; });
  });

  lock_ = new QWidget(this);
  lock_->setObjectName("layoutLock");
  auto *lockIcon = new QLabel(lock_);
  lockIcon->setPixmap(ui::pixmap(ui::symbol("lock.fill"), 16, this));
  lockText_ = ui::note({}, lock_);
  lockText_->setObjectName("layoutLockText");
  auto *lockLayout = new QHBoxLayout(lock_);
  lockLayout->setContentsMargins(0, 4, 0, 0);
  lockLayout->addWidget(lockIcon, 0, Qt::AlignTop);
  lockLayout->addWidget(lockText_, 1);

  auto *form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->addRow("&Title", title_);
  form->addRow(labelFor("&Questions", questions_), withNote(questions_, questionsNote_));
  form->addRow("&Choices", choices_);
  form->addRow(labelFor("Student &ID", idDigits_), withNote(idDigits_, idNote_));
  form->addRow(QString(), idWarning_);
  form->addRow("&Paper", paper_);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(lock_);
  layout->addStretch();
}

// Committed on Return, focus loss or the arrows, so typing "150" is one change and
// never a passing 1 that would cut the key short.
QSpinBox *AnswerSheetSection::spin(const char *name, int low, int high, const QString &what,
                                   void (Exam::*set)(int)) {
  auto *spin = new QSpinBox(this);
  spin->setObjectName(name);
  spin->setRange(low, high);
  spin->setKeyboardTracking(false);
  spin->setToolTip(what);
  spin->setAccessibleName(what);
  connect(spin, &QSpinBox::valueChanged, this, [this, set](int value) {
    if (!showing_)
      model_.update([set, value](ExamDocument &d) { (d.exam.*set)(value); });
  });
  return spin;
}

void AnswerSheetSection::focusTitle() {
  title_->setFocus(Qt::OtherFocusReason);
  title_->selectAll();
}

void AnswerSheetSection::show(const ExamDocument &document, bool otherTest, bool running) {
  const Exam &exam = document.exam;
  showing_ = true;
  QString title = ui::text(exam.title);
  // Never reset the field the teacher is typing in.
  if ((otherTest || !title_->hasFocus()) && title_->text() != title)
    title_->setText(title);
  auto setSpin = [otherTest](QSpinBox *spin, int value) {
    if (spin->value() != value && (otherTest || !spin->hasFocus()))
      spin->setValue(value);
  };
  setSpin(questions_, exam.questionCount);
  setSpin(choices_, exam.choiceCount);
  setSpin(idDigits_, exam.idDigits);
  setTextIfChanged(questionsNote_,
                   exam.pageCount() > 1 ? "Two pages per student" : "Up to 100 fit on one page");
  setTextIfChanged(idNote_, exam.idDigits == 0 ? QString("No ID bubbles")
                                               : QString("%1 digits").arg(exam.idDigits));
  int longest = document.roster.longestID();
  idWarning_->setVisible(longest > exam.idDigits);
  setTextIfChanged(idWarning_, QString("The roster has %1-digit IDs").arg(longest));
  paper_->setCurrentIndex(paper_->findData(static_cast<int>(exam.paper)));

  bool graded = !document.sheets.empty();
  bool locked = graded || running;
  for (QWidget *field : std::initializer_list<QWidget *>{questions_, choices_, idDigits_, paper_})
    field->setEnabled(!locked);
  lock_->setVisible(locked);
  setTextIfChanged(lockText_, graded ? "Sheets have been graded with this layout, so it\u2019s "
                                       "fixed now. Duplicate the test to change it."
                                     : "Grading is running.");
  showing_ = false;
}

} // namespace ovalon
