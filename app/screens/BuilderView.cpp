#include "screens/BuilderView.h"

#include "model/AppModel.h"
#include "screens/KeyRow.h"
#include "screens/Ui.h"
#include "screens/VersionEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ovalon {

namespace {

// The key is laid out like the printed sheet: columns of 25, 100 to a block.
constexpr int keyRowsPerColumn = 25;
constexpr int keyColumns = 4;

void setTextIfChanged(QLabel *label, const QString &text) {
  if (label->text() != text)
    label->setText(text);
}

QString shortcutHint(const QString &text, const QKeySequence &keys) {
  return text + " (" + ui::shortcutText(keys) + ")";
}

} // namespace

BuilderView::BuilderView(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
  setObjectName("builderView");
  auto *content = new QWidget;
  auto *top = new QHBoxLayout;
  top->setSpacing(14);
  top->addWidget(answerSheetSection(), 1, Qt::AlignTop);
  auto *middle = new QVBoxLayout;
  middle->setSpacing(14);
  middle->addWidget(versionsSection());
  middle->addWidget(rosterSection());
  middle->addStretch();
  top->addLayout(middle, 1);

  auto *layout = new QVBoxLayout(content);
  layout->setContentsMargins(16, 12, 16, 16);
  layout->setSpacing(14);
  layout->addLayout(top);
  layout->addWidget(answerKeySection());
  layout->addStretch();

  auto *scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content);
  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll);

  connect(&model, &AppModel::changed, this, &BuilderView::refresh);
  refresh();
}

KeyRow *BuilderView::keyRow(int question) const {
  if (question < 0 || question >= static_cast<int>(keyRows_.size()))
    return nullptr;
  return keyRows_[static_cast<size_t>(question)];
}

QWidget *BuilderView::answerSheetSection() {
  auto *box = new QGroupBox("Answer Sheet");
  title_ = new QLineEdit(box);
  title_->setObjectName("title");
  title_->setPlaceholderText("Test title");
  connect(title_, &QLineEdit::textEdited, this, [this](const QString &text) {
    model_.update([title = ui::utf8(text)](ExamDocument &d) { d.exam.title = title; });
  });

  // Committed on Return, focus loss or the arrows, so typing "150" is one change
  // and never a passing 1 that would cut the key short.
  auto spin = [this, box](const char *name, int low, int high, const QString &tip,
                          void (Exam::*set)(int)) {
    auto *spin = new QSpinBox(box);
    spin->setObjectName(name);
    spin->setRange(low, high);
    spin->setKeyboardTracking(false);
    spin->setToolTip(tip);
    spin->setAccessibleName(tip);
    connect(spin, &QSpinBox::valueChanged, this, [this, set](int value) {
      if (!refreshing_)
        model_.update([set, value](ExamDocument &d) { (d.exam.*set)(value); });
    });
    return spin;
  };
  questions_ =
      spin("questions", 1, Exam::maxQuestions, "Number of questions", &Exam::setQuestionCount);
  questionsNote_ = ui::note({}, box);
  choices_ = spin("choices", 2, Exam::maxChoices, "Choices", &Exam::setChoiceCount);
  idDigits_ = spin("idDigits", 0, Exam::maxIDDigits, "Student ID digits", &Exam::setIDDigits);
  idNote_ = ui::note({}, box);
  idWarning_ = new QLabel(box);
  idWarning_->setObjectName("idWarning");
  idWarning_->setStyleSheet("color: #c77700;");
  idWarning_->setWordWrap(true);

  paper_ = new QComboBox(box);
  paper_->setObjectName("paper");
  for (Paper paper : PaperInfo::allCases)
    paper_->addItem(ui::text(std::string(PaperInfo::title(paper))), static_cast<int>(paper));
  connect(paper_, &QComboBox::activated, this, [this](int index) {
    auto paper = static_cast<Paper>(paper_->itemData(index).toInt());
    model_.update([paper](ExamDocument &d) { d.exam.paper = paper; });
  });

  lock_ = new QWidget(box);
  lock_->setObjectName("layoutLock");
  auto *lockIcon = new QLabel(lock_);
  lockIcon->setPixmap(ui::symbol("lock.fill").pixmap(16, 16));
  lockText_ = ui::note({}, lock_);
  lockText_->setObjectName("layoutLockText");
  auto *lockLayout = new QHBoxLayout(lock_);
  lockLayout->setContentsMargins(0, 4, 0, 0);
  lockLayout->addWidget(lockIcon, 0, Qt::AlignTop);
  lockLayout->addWidget(lockText_, 1);

  auto withNote = [](QWidget *field, QLabel *note) {
    auto *row = new QHBoxLayout;
    row->addWidget(field);
    row->addWidget(note, 1);
    return row;
  };
  auto *form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->addRow("Title", title_);
  form->addRow("Questions", withNote(questions_, questionsNote_));
  form->addRow("Choices", choices_);
  form->addRow("Student ID", withNote(idDigits_, idNote_));
  form->addRow(QString(), idWarning_);
  form->addRow("Paper", paper_);
  auto *layout = new QVBoxLayout(box);
  layout->addLayout(form);
  layout->addWidget(lock_);
  layout->addStretch();
  return box;
}

QWidget *BuilderView::versionsSection() {
  auto *box = new QGroupBox("Versions");
  versionCount_ = new QComboBox(box);
  versionCount_->setObjectName("versionCount");
  versionCount_->addItems({"A only", "A and B", "A to C", "A to D"});
  connect(versionCount_, &QComboBox::activated, this, [this](int index) {
    model_.update([count = index + 1](ExamDocument &d) { d.exam.setVersionCount(count); });
  });
  reshuffle_ = new QPushButton(ui::symbol("shuffle"), "Shuffle Again", box);
  reshuffle_->setObjectName("reshuffle");
  connect(reshuffle_, &QPushButton::clicked, this,
          [this] { model_.update([](ExamDocument &d) { d.exam.reshuffle(); }); });
  shuffleChoices_ = new QCheckBox("Shuffle the choices too", box);
  shuffleChoices_->setObjectName("shuffleChoices");
  connect(shuffleChoices_, &QCheckBox::clicked, this, [this](bool on) {
    model_.update([on](ExamDocument &d) { d.exam.setShuffleChoices(on); });
  });
  ownOrder_ = new QPushButton("Use your own order, for versions you've already written", box);
  ownOrder_->setObjectName("ownOrder");
  ownOrder_->setFlat(true);
  ownOrder_->setCursor(Qt::PointingHandCursor);
  ownOrder_->setStyleSheet("text-align: left; color: palette(link);");
  versionEdit_ = new VersionEdit(model_, box);
  versionEdit_->hide();
  connect(ownOrder_, &QPushButton::clicked, this, [this] {
    versionEdit_->show();
    versionEdit_->edit(1);
  });
  connect(versionEdit_, &VersionEdit::finished, versionEdit_, &QWidget::hide);

  auto *exportKeys = new QPushButton("Save Answer Keys PDF\u2026", box);
  exportKeys->setObjectName("builderExportAnswerKeys");
  connect(exportKeys, &QPushButton::clicked, this, [this] { model_.exportAnswerKeys(); });

  auto *row = new QHBoxLayout;
  row->addWidget(versionCount_);
  row->addWidget(reshuffle_);
  row->addStretch();
  auto *layout = new QVBoxLayout(box);
  layout->addLayout(row);
  layout->addWidget(shuffleChoices_);
  layout->addWidget(
      ui::note("Leave this off when an answer like \u201cAll of the above\u201d has to "
               "stay last.",
               box));
  layout->addWidget(ownOrder_, 0, Qt::AlignLeft);
  layout->addWidget(versionEdit_);
  layout->addWidget(ui::note("Each version prints its own letter in the code. Its answers are "
                             "counted under version A\u2019s question numbers, so results and the "
                             "item report cover every version together.",
                             box));
  layout->addWidget(exportKeys, 0, Qt::AlignLeft);
  return box;
}

QWidget *BuilderView::rosterSection() {
  auto *box = new QGroupBox("Roster");
  auto *import = new QPushButton("Import Roster CSV\u2026", box);
  import->setObjectName("importRoster");
  import->setToolTip(
      shortcutHint("Import a class list", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)));
  connect(import, &QPushButton::clicked, this, [this] { model_.importRoster(); });
  rosterCount_ = new QLabel(box);
  rosterCount_->setObjectName("rosterCount");
  clearRoster_ = new QPushButton("Clear", box);
  clearRoster_->setObjectName("clearRoster");
  connect(clearRoster_, &QPushButton::clicked, this, [this] { model_.clearRoster(); });
  auto *row = new QHBoxLayout;
  row->addWidget(import);
  row->addSpacing(8);
  row->addWidget(rosterCount_);
  row->addWidget(clearRoster_);
  row->addStretch();
  auto *layout = new QVBoxLayout(box);
  layout->addLayout(row);
  layout->addWidget(
      ui::note("Import a class list (a CSV with student IDs and names) to put names "
               "on scores, catch wrong IDs, and print sheets with each student\u2019s "
               "name and ID already filled in.",
               box));
  return box;
}

QWidget *BuilderView::answerKeySection() {
  auto *box = new QGroupBox("Answer Key");
  keyProgress_ = new QLabel(box);
  keyProgress_->setObjectName("keyProgress");
  keyText_ = new QLineEdit(box);
  keyText_->setObjectName("keyText");
  keyText_->setPlaceholderText("Type the key in order, like ABDCA BBCAD\u2026");
  auto *fill = new QPushButton("Fill Key", box);
  fill->setObjectName("fillKey");
  connect(fill, &QPushButton::clicked, this, &BuilderView::fillKey);
  connect(keyText_, &QLineEdit::returnPressed, this, &BuilderView::fillKey);
  auto *scan = new QPushButton(ui::symbol("doc.viewfinder"), "Scan Answer Key\u2026", box);
  scan->setObjectName("scanAnswerKey");
  scan->setToolTip("Read the key from a sheet you bubbled and scanned (" +
                   ui::shortcutText(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K)) +
                   "). You check it before it\u2019s used.");
  connect(scan, &QPushButton::clicked, this, [this] { model_.scanAnswerKey(); });

  auto *typed = new QHBoxLayout;
  typed->addWidget(keyProgress_);
  typed->addSpacing(10);
  typed->addWidget(keyText_, 1);
  typed->addWidget(fill);
  typed->addWidget(scan);

  auto *grid = new QWidget(box);
  grid->setStyleSheet(KeyRow::styleSheet());
  keyGrid_ = new QGridLayout(grid);
  keyGrid_->setContentsMargins(0, 4, 0, 0);
  keyGrid_->setHorizontalSpacing(24);
  keyGrid_->setVerticalSpacing(0);
  for (int column = 0; column < keyColumns; ++column)
    keyGrid_->setColumnStretch(column, 1);

  auto *layout = new QVBoxLayout(box);
  layout->addLayout(typed);
  layout->addWidget(
      ui::note("Click a letter to set the answer. " +
                   QString(
#ifdef Q_OS_MACOS
                       "Option-click"
#else
                       "Ctrl-click"
#endif
                       ) +
                   " to accept another one too. Right-click a question for points or to drop it.",
               box));
  layout->addWidget(grid);
  return box;
}

void BuilderView::fillKey() {
  std::string text = ui::utf8(keyText_->text());
  model_.update([&text](ExamDocument &d) { d.exam.applyKeyText(text, 0); });
}

void BuilderView::refresh() {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return;
  const Exam &exam = doc->exam;
  refreshing_ = true;

  QString testID = ui::text(exam.id.text());
  bool otherTest = testID != shownTest_;
  shownTest_ = testID;
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
  int longest = doc->roster.longestID();
  idWarning_->setVisible(longest > exam.idDigits);
  setTextIfChanged(idWarning_, QString("The roster has %1-digit IDs").arg(longest));
  paper_->setCurrentIndex(paper_->findData(static_cast<int>(exam.paper)));

  bool graded = !doc->sheets.empty();
  bool running = model_.progress().has_value();
  bool locked = graded || running;
  for (QWidget *field :
       std::initializer_list<QWidget *>{questions_, choices_, idDigits_, paper_, versionCount_,
                                        reshuffle_, shuffleChoices_, ownOrder_})
    field->setEnabled(!locked);
  lock_->setVisible(locked);
  setTextIfChanged(lockText_, graded ? "Sheets have been graded with this layout, so it\u2019s "
                                       "fixed now. Duplicate the test to change it."
                                     : "Grading is running.");
  if (locked || otherTest)
    versionEdit_->hide();

  int versions = static_cast<int>(exam.versions.size());
  versionCount_->setCurrentIndex(versions - 1);
  reshuffle_->setVisible(versions > 1);
  ownOrder_->setVisible(versions > 1 && !locked);
  if (versions == 1)
    versionEdit_->hide();
  shuffleChoices_->setChecked(exam.shuffleChoices);

  int students = static_cast<int>(doc->roster.students.size());
  setTextIfChanged(rosterCount_, students > 0 ? QString("%1 students").arg(students) : QString());
  clearRoster_->setVisible(students > 0);

  refreshKey();
  refreshing_ = false;
}

void BuilderView::refreshKey() {
  const Exam &exam = model_.selectedDocument()->exam;
  size_t unkeyed = exam.unkeyedQuestions().size();
  setTextIfChanged(keyProgress_,
                   unkeyed == 0 ? QString("Complete") : QString("%1 to go").arg(unkeyed));
  QString progressStyle =
      unkeyed == 0 ? "color: #2e7d32; font-weight: bold;" : "font-weight: bold;";
  if (keyProgress_->styleSheet() != progressStyle)
    keyProgress_->setStyleSheet(progressStyle);

  // Rows are added and removed only at the end, and otherwise updated in place.
  int count = exam.questionCount;
  while (static_cast<int>(keyRows_.size()) > count) {
    delete keyRows_.back();
    keyRows_.pop_back();
  }
  while (static_cast<int>(keyRows_.size()) < count) {
    int question = static_cast<int>(keyRows_.size());
    auto *row = new KeyRow(question, keyGrid_->parentWidget());
    connect(row, &KeyRow::keyChanged, this, [this](int q, const QuestionKey &key) {
      model_.update(
          [q, key](ExamDocument &d) { d.exam.setKey(q, key.correct, key.points, key.dropped); });
    });
    int block = question / (keyRowsPerColumn * keyColumns);
    int inBlock = question % (keyRowsPerColumn * keyColumns);
    keyGrid_->addWidget(row, block * keyRowsPerColumn + inBlock % keyRowsPerColumn,
                        inBlock / keyRowsPerColumn);
    keyRows_.push_back(row);
  }
  for (int question = 0; question < count; ++question)
    keyRows_[static_cast<size_t>(question)]->show(exam.key[static_cast<size_t>(question)],
                                                  exam.choiceCount);
}

} // namespace ovalon
