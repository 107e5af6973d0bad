#include "screens/FlagDetail.h"

#include "model/AppModel.h"
#include "model/Choices.h"
#include "screens/FillBars.h"
#include "screens/ReviewRow.h"
#include "screens/Shortcuts.h"
#include "screens/StudentIDChoice.h"
#include "screens/Tone.h"
#include "screens/Ui.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
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

} // namespace

QLabel *storedPicture(const std::optional<Bytes> &bytes, const QString &caption, int width,
                      QWidget *parent) {
  auto *label = new QLabel(parent);
  QImage image;
  if (bytes)
    image.loadFromData(bytes->data(), static_cast<int>(bytes->size()));
  if (image.isNull()) {
    label->setText(caption);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, ui::secondaryText(colours));
    label->setPalette(colours);
  } else {
    label->setPixmap(ui::picture(image, width, parent));
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
    // Sheets graded before the pictures were kept beside the document hold them inside it.
    auto stored = [this](const std::optional<Uuid> &image, const std::optional<Bytes> &held) {
      return image ? model_.imageData(*image) : held;
    };
    auto *choice = new StudentIDChoice(
        *doc, *sheet,
        {stored(sheet->idImage, sheet->idCrop), stored(sheet->nameImage, sheet->nameCrop)}, this);
    connect(choice, &StudentIDChoice::decided, this,
            [this](const Resolution &resolution) { decide(resolution); });
    layout->addWidget(choice);
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
                                 shortcuts::text(shortcuts::previousItem()) + " and " +
                                 shortcuts::text(shortcuts::nextItem()) + " move through the list.",
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
