#include "screens/FlagDetail.h"

#include "model/AppModel.h"
#include "model/Choices.h"
#include "scanning/NameMatcher.h"
#include "screens/FillBars.h"
#include "screens/ReviewRow.h"
#include "screens/Ui.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

namespace {

const ScannedSheet *findSheet(const ExamDocument &doc, const Uuid &id) {
  auto found = std::ranges::find(doc.sheets, id, &ScannedSheet::id);
  return found == doc.sheets.end() ? nullptr : &*found;
}

const ReviewFlag *findFlag(const ScannedSheet &sheet, const Uuid &id) {
  auto found = std::ranges::find(sheet.flags, id, &ReviewFlag::id);
  return found == sheet.flags.end() ? nullptr : &*found;
}

bool isMarkFlag(FlagKind kind) {
  return kind == FlagKind::blank || kind == FlagKind::double_ || kind == FlagKind::faint ||
         kind == FlagKind::unaligned;
}

// Whether another sheet that counts already goes to this student.
bool hasSheet(const ExamDocument &doc, const Uuid &except, const Student &student) {
  std::string key = Student::idKey(student.id);
  return std::ranges::any_of(doc.sheets, [&](const ScannedSheet &sheet) {
    auto id = sheet.studentID();
    return sheet.id != except && !sheet.excluded && id && Student::idKey(*id) == key;
  });
}

} // namespace

QLabel *storedPicture(const std::optional<Bytes> &bytes, const QString &caption, int width,
                      QWidget *parent) {
  auto *label = new QLabel(parent);
  QImage image;
  if (bytes)
    image.loadFromData(bytes->data(), static_cast<int>(bytes->size()));
  if (image.isNull()) {
    label->setText(caption);
    label->setForegroundRole(QPalette::PlaceholderText);
  } else {
    if (image.width() > width)
      image = image.scaledToWidth(width, Qt::SmoothTransformation);
    label->setPixmap(QPixmap::fromImage(image));
    label->setToolTip(caption);
  }
  label->setAccessibleName(caption);
  label->setFrameShape(QFrame::StyledPanel);
  label->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
  return label;
}

FlagDetail::FlagDetail(AppModel &model, const Uuid &sheetID, const Uuid &flagID, QWidget *parent)
    : QWidget(parent), model_(model), sheet_(sheetID), flag_(flagID) {
  auto *layout = new QVBoxLayout(this);
  const ExamDocument *doc = model.selectedDocument();
  const ScannedSheet *sheet = doc ? findSheet(*doc, sheetID) : nullptr;
  const ReviewFlag *flag = sheet ? findFlag(*sheet, flagID) : nullptr;
  if (!flag) {
    layout->addStretch();
    return;
  }
  auto row =
      ReviewRow::make(*doc, AppModel::ReviewItem{AppModel::ReviewItem::Flag{sheetID, flagID}});
  layout->addWidget(ui::heading(ui::text(row->title), this));
  layout->addWidget(new QLabel(ui::text(row->detail), this));
  if (!flag->note.empty())
    layout->addWidget(ui::note(ui::text(flag->note), this));

  if (sheet->excluded || flag->resolution) {
    auto *state = new QHBoxLayout;
    auto *settled = new QLabel(ui::text(row->settled.value_or("")), this);
    settled->setObjectName("settledState");
    QFont font = settled->font();
    font.setBold(true);
    settled->setFont(font);
    state->addWidget(settled);
    if (flag->resolution && !sheet->excluded) {
      auto *undo = new QPushButton("Undo", this);
      undo->setObjectName("undo");
      connect(undo, &QPushButton::clicked, this,
              [this] { model_.resolve(sheet_, flag_, std::nullopt); });
      state->addWidget(undo);
    }
    state->addStretch();
    layout->addLayout(state);
  }

  markFlag_ = isMarkFlag(flag->kind);
  if (markFlag_) {
    buildMark(*doc, *sheet, *flag);
  } else if (flag->kind == FlagKind::studentID) {
    buildStudentID(*doc, *sheet, *flag);
  } else {
    auto *accept = new QPushButton("Grade With Those Answers Blank", this);
    accept->setObjectName("acceptMissing");
    connect(accept, &QPushButton::clicked, this, [this] { decide(Resolution::accept()); });
    layout->addWidget(accept, 0, Qt::AlignLeft);
    layout->addWidget(ui::note("Or scan the missing page and grade it again.", this));
  }

  layout->addSpacing(12);
  auto *leave = new QPushButton(sheet->excluded ? "Include Sheet" : "Leave Sheet Out", this);
  leave->setObjectName("leaveSheetOut");
  leave->setToolTip("Keep this sheet out of scores, the gradebook and the report");
  bool excluded = sheet->excluded;
  connect(leave, &QPushButton::clicked, this, [this, excluded] {
    model_.setExcluded(sheet_, !excluded);
    if (!excluded)
      model_.selectNextOpenItem();
  });
  layout->addWidget(leave, 0, Qt::AlignLeft);
  layout->addStretch();
}

void FlagDetail::buildMark(const ExamDocument &, const ScannedSheet &sheet,
                           const ReviewFlag &flag) {
  auto *layout = static_cast<QVBoxLayout *>(this->layout());
  layout->addWidget(storedPicture(flag.crop, "The scanned row", 480, this));
  auto *bars = new FillBars(this);
  bars->setObjectName("fillBars");
  bars->setFills(flag.fills);
  layout->addWidget(bars);
  layout->addWidget(ui::note("Press a letter, Delete for blank, or Return for the darkest mark. " +
                                 ui::shortcutText(QKeySequence(Qt::CTRL | Qt::Key_BracketLeft)) +
                                 " and " +
                                 ui::shortcutText(QKeySequence(Qt::CTRL | Qt::Key_BracketRight)) +
                                 " move through the list.",
                             this));

  choiceCount_ = static_cast<int>(flag.fills.size());
  suggestion_ = flag.suggestion;
  auto *choices = new QHBoxLayout;
  for (int slot = 0; slot < choiceCount_; ++slot) {
    QString letter = ui::text(Choices::letter(slot));
    auto *use = new QPushButton("Use " + letter, this);
    use->setObjectName("use" + letter);
    connect(use, &QPushButton::clicked, this, [this, slot] { decide(Resolution::choice(slot)); });
    choices->addWidget(use);
  }
  choices->addStretch();
  layout->addLayout(choices);

  auto *others = new QHBoxLayout;
  auto *blank = new QPushButton("No answer (Delete)", this);
  blank->setObjectName("noAnswer");
  connect(blank, &QPushButton::clicked, this, [this] { decide(Resolution::blank()); });
  others->addWidget(blank);
  auto *darkest = new QPushButton("Take the darkest mark (Return)", this);
  darkest->setObjectName("darkest");
  darkest->setEnabled(flag.suggestion.has_value());
  connect(darkest, &QPushButton::clicked, this, [this] {
    if (suggestion_)
      decide(Resolution::choice(*suggestion_));
  });
  others->addWidget(darkest);
  others->addStretch();
  layout->addLayout(others);

  if (flag.kind == FlagKind::blank) {
    std::vector<Uuid> blanks;
    for (const ReviewFlag &open : sheet.openFlags())
      if (open.kind == FlagKind::blank)
        blanks.push_back(open.id);
    if (blanks.size() > 1) {
      auto *all = new QPushButton(
          "Mark All " + QString::number(blanks.size()) + " Blanks on This Sheet as Blank", this);
      all->setObjectName("markAllBlank");
      connect(all, &QPushButton::clicked, this, [this, blanks] {
        for (const Uuid &id : blanks)
          model_.resolve(sheet_, id, Resolution::blank());
        model_.selectNextOpenItem();
      });
      layout->addWidget(all, 0, Qt::AlignLeft);
    }
  }
}

void FlagDetail::buildStudentID(const ExamDocument &doc, const ScannedSheet &sheet,
                                const ReviewFlag &) {
  auto *layout = static_cast<QVBoxLayout *>(this->layout());
  QString read = sheet.readID.empty() ? QString("nothing") : ui::text(sheet.readID);
  layout->addWidget(
      storedPicture(sheet.idCrop, "Scanned student ID bubbles, read as " + read, 360, this));

  auto *keep = new QPushButton(sheet.readID.empty() ? QString("Grade it under the ID as read")
                                                    : "Keep ID " + ui::text(sheet.readID),
                               this);
  keep->setObjectName("keepID");
  keep->setToolTip("Grade it under the ID as read");
  connect(keep, &QPushButton::clicked, this, [this] { decide(Resolution::accept()); });
  layout->addWidget(keep, 0, Qt::AlignLeft);

  auto *typed = new QHBoxLayout;
  typedID_ = new QLineEdit(this);
  typedID_->setObjectName("typedID");
  typedID_->setPlaceholderText("Student ID");
  auto *useTyped = new QPushButton("Use This ID", this);
  useTyped->setObjectName("useTypedID");
  useTyped->setEnabled(false);
  connect(typedID_, &QLineEdit::textChanged, useTyped,
          [useTyped](const QString &text) { useTyped->setEnabled(!text.trimmed().isEmpty()); });
  auto useTypedID = [this] {
    QString id = typedID_->text().trimmed();
    if (!id.isEmpty())
      decide(Resolution::student(ui::utf8(id)));
  };
  connect(useTyped, &QPushButton::clicked, this, useTypedID);
  connect(typedID_, &QLineEdit::returnPressed, this, useTypedID);
  typed->addWidget(typedID_);
  typed->addWidget(useTyped);
  typed->addStretch();
  layout->addLayout(typed);

  if (!doc.roster.students.empty()) {
    layout->addWidget(new QLabel("Search the roster", this));
    search_ = new QLineEdit(this);
    search_->setObjectName("rosterSearch");
    search_->setClearButtonEnabled(true);
    layout->addWidget(search_);
    roster_ = new QTreeWidget(this);
    roster_->setObjectName("rosterList");
    roster_->setColumnCount(2);
    roster_->setHeaderHidden(true);
    roster_->setRootIsDecorated(false);
    roster_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    roster_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    roster_->header()->setStretchLastSection(false);
    roster_->setMinimumHeight(120);
    for (const Student &student : doc.roster.sorted()) {
      auto *item = new QTreeWidgetItem(roster_);
      item->setText(0, ui::text(student.name() + ", ID " + student.id));
      item->setData(0, Qt::UserRole, ui::text(student.id));
      if (hasSheet(doc, sheet.id, student)) {
        item->setText(1, "has a sheet");
        item->setForeground(1, palette().brush(QPalette::PlaceholderText));
      }
    }
    layout->addWidget(roster_);
    connect(search_, &QLineEdit::textChanged, this, &FlagDetail::fillRoster);
    auto pick = [this](QTreeWidgetItem *item) {
      if (item)
        decide(Resolution::student(ui::utf8(item->data(0, Qt::UserRole).toString())));
    };
    connect(roster_, &QTreeWidget::itemClicked, this, pick);
    connect(roster_, &QTreeWidget::itemActivated, this, pick);
  }

  layout->addSpacing(8);
  layout->addWidget(ui::heading("Name on the Sheet", this));
  if (sheet.name)
    layout->addWidget(storedPicture(
        sheet.nameCrop, "Scanned name line, read as " + ui::text(sheet.name->text), 480, this));
  else
    layout->addWidget(ui::note("The name couldn\u2019t be read.", this));
  auto matches = NameMatcher::match(sheet.name, doc.roster.students, 3);
  if (!matches.empty()) {
    auto *grid = new QGridLayout;
    int row = 0;
    for (const NameMatch &match : matches) {
      grid->addWidget(
          new QLabel(match.strength == NameMatch::Strength::likely ? "Likely" : "Possible", this),
          row, 0);
      auto *pick =
          new QPushButton(ui::text(match.student.name() + ", ID " + match.student.id), this);
      pick->setObjectName("suggestion" + QString::number(row));
      std::string id = match.student.id;
      connect(pick, &QPushButton::clicked, this, [this, id] { decide(Resolution::student(id)); });
      grid->addWidget(pick, row, 1, Qt::AlignLeft);
      ++row;
    }
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
  }
  layout->addWidget(ui::note("Suggestions from the name line, read on this computer. Check the "
                             "name before you pick: nothing is assigned until you do.",
                             this));
}

void FlagDetail::fillRoster() {
  if (!roster_ || !search_)
    return;
  QString needle = search_->text().trimmed();
  for (int i = 0; i < roster_->topLevelItemCount(); ++i) {
    QTreeWidgetItem *item = roster_->topLevelItem(i);
    item->setHidden(!needle.isEmpty() && !item->text(0).contains(needle, Qt::CaseInsensitive));
  }
}

void FlagDetail::decide(std::optional<Resolution> resolution) {
  model_.resolve(sheet_, flag_, std::move(resolution));
  model_.selectNextOpenItem();
}

bool FlagDetail::handleKey(int key) {
  if (markFlag_) {
    if (key >= Qt::Key_A && key <= Qt::Key_H) {
      int slot = key - Qt::Key_A;
      if (slot >= choiceCount_)
        return false;
      decide(Resolution::choice(slot));
      return true;
    }
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
      decide(Resolution::blank());
      return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && suggestion_) {
      decide(Resolution::choice(*suggestion_));
      return true;
    }
    return false;
  }
  // An ID or a missing page has one answer that needs no choosing: take it as read.
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    decide(Resolution::accept());
    return true;
  }
  return false;
}

} // namespace ovalon
