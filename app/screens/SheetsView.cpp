#include "screens/SheetsView.h"

#include "model/AppModel.h"
#include "model/Choices.h"
#include "screens/ModelSignals.h"
#include "screens/SheetPicture.h"
#include "screens/Shortcuts.h"
#include "screens/ToneLabel.h"
#include "screens/Ui.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ovalon {

namespace {

void setTextIfChanged(QLabel *label, const QString &text) {
  if (label->text() != text)
    label->setText(text);
}

} // namespace

SheetsView::SheetsView(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
  setObjectName("sheetsView");

  auto *scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(controls());
  scroll->setMinimumWidth(400);
  scroll->setMaximumWidth(480);

  previewTitle_ = new QLabel(this);
  previewTitle_->setObjectName("previewTitle");
  QFont bold = previewTitle_->font();
  bold.setBold(true);
  previewTitle_->setFont(bold);
  page1_ = new QPushButton("Page 1", this);
  page2_ = new QPushButton("Page 2", this);
  page1_->setObjectName("previewPage1");
  page2_->setObjectName("previewPage2");
  for (QPushButton *button : {page1_, page2_})
    button->setCheckable(true);
  connect(page1_, &QPushButton::clicked, this, [this] { model_.setPreviewPage(1); });
  connect(page2_, &QPushButton::clicked, this, [this] { model_.setPreviewPage(2); });
  picture_ = new SheetPicture(this);

  auto *previewHeader = new QHBoxLayout;
  previewHeader->addWidget(previewTitle_);
  previewHeader->addStretch();
  previewHeader->addWidget(page1_);
  previewHeader->addWidget(page2_);
  auto *preview = new QVBoxLayout;
  preview->addLayout(previewHeader);
  preview->addWidget(picture_, 1);

  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(16, 12, 16, 12);
  layout->setSpacing(18);
  layout->addWidget(scroll);
  layout->addLayout(preview, 1);

  followSelectedTest(model, this, [this] { refresh(); });
  connect(&model, &AppModel::printSettingsChanged, this, &SheetsView::refresh);
  refresh();
}

QWidget *SheetsView::controls() {
  auto *panel = new QWidget;

  version_ = new QComboBox(panel);
  version_->setObjectName("printVersion");
  version_->setAccessibleName("Version");
  connect(version_, &QComboBox::activated, this,
          [this](int index) { model_.setPrintVersion(version_->itemData(index).toInt()); });
  versionHint_ = ui::note("Add versions B to D on the Test step.", panel);

  blank_ = new QRadioButton(panel);
  blank_->setObjectName("printBlank");
  copies_ = new QSpinBox(panel);
  copies_->setObjectName("printCopies");
  copies_->setAccessibleName("Blank sheets");
  copies_->setRange(1, 999);
  copies_->setKeyboardTracking(false);
  forRoster_ = new QRadioButton("One for each student on the roster", panel);
  forRoster_->setObjectName("printForRoster");
  auto *choice = new QButtonGroup(panel);
  choice->addButton(blank_);
  choice->addButton(forRoster_);
  connect(blank_, &QRadioButton::clicked, this, [this] { model_.setPrintForRoster(false); });
  connect(forRoster_, &QRadioButton::clicked, this, [this] { model_.setPrintForRoster(true); });
  connect(copies_, &QSpinBox::valueChanged, this, [this](int copies) {
    if (!refreshing_)
      model_.setPrintCopies(copies);
  });
  rosterNote_ = ui::note({}, panel);
  rosterNote_->setObjectName("rosterNote");
  dealVersions_ =
      new QCheckBox("Hand out the versions in turn: A, B, A, B\u2026 in class-list order", panel);
  dealVersions_->setObjectName("printDealsVersions");
  connect(dealVersions_, &QCheckBox::clicked, this,
          [this](bool deal) { model_.setPrintDealsVersions(deal); });

  auto *print = new QPushButton(ui::symbol("printer"), "Print\u2026", panel);
  print->setObjectName("printSheets");
  print->setToolTip(shortcuts::hint("Print the sheets", shortcuts::print()));
  print->setDefault(true);
  connect(print, &QPushButton::clicked, this, [this] { model_.printSheets(); });
  auto *preview = new QPushButton(ui::symbol("print.preview"), "Preview\u2026", panel);
  preview->setObjectName("printPreviewButton");
  preview->setToolTip("See every page as it will print");
  connect(preview, &QPushButton::clicked, this, &SheetsView::printPreviewRequested);
  auto *savePDF = new QPushButton("Save as PDF\u2026", panel);
  savePDF->setObjectName("saveSheetsPDF");
  savePDF->setToolTip(shortcuts::hint("Save the sheets as a PDF", shortcuts::saveSheetsPDF()));
  connect(savePDF, &QPushButton::clicked, this, [this] { model_.saveSheetsPDF(); });
  auto *saveKeys = new QPushButton("Save Answer Keys\u2026", panel);
  saveKeys->setObjectName("sheetsExportAnswerKeys");
  connect(saveKeys, &QPushButton::clicked, this, [this] { model_.exportAnswerKeys(); });

  auto *keySheet = new QPushButton(ui::symbol("key"), "Print Key Sheet\u2026", panel);
  keySheet->setObjectName("saveAnswerKeySheet");
  connect(keySheet, &QPushButton::clicked, this, [this] { model_.saveAnswerKeySheet(); });

  keyWarning_ = new ToneLabel(ui::Tone::warning,
                              "The key isn\u2019t finished. You can print now and finish it "
                              "before grading.",
                              panel);
  keyWarning_->setObjectName("keyWarning");

  auto *versionRow = new QHBoxLayout;
  versionRow->addWidget(new QLabel("Version", panel));
  versionRow->addWidget(version_);
  versionRow->addStretch();
  auto *copiesRow = new QHBoxLayout;
  copiesRow->addWidget(blank_);
  copiesRow->addWidget(copies_);
  copiesLabel_ = new QLabel(panel);
  copiesLabel_->setObjectName("copiesLabel");
  copiesRow->addWidget(copiesLabel_);
  copiesRow->addStretch();
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(print);
  buttons->addWidget(preview);
  buttons->addWidget(savePDF);
  buttons->addWidget(saveKeys);
  buttons->addStretch();

  auto *layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 8, 0);
  layout->setSpacing(8);
  layout->addLayout(versionRow);
  layout->addWidget(versionHint_);
  layout->addSpacing(8);
  layout->addWidget(ui::heading("Sheets", panel));
  layout->addLayout(copiesRow);
  layout->addWidget(forRoster_);
  layout->addWidget(rosterNote_);
  layout->addWidget(dealVersions_);
  layout->addSpacing(4);
  layout->addLayout(buttons);
  layout->addWidget(keyWarning_);
  layout->addSpacing(12);
  layout->addWidget(ui::heading("Answer Key Sheet", panel));
  layout->addWidget(keySheet, 0, Qt::AlignLeft);
  layout->addWidget(
      ui::note("Bubble the right answers on it and put it anywhere in the class\u2019s "
               "stack. It\u2019s read as the key, not graded, and you check it before "
               "it\u2019s used.",
               panel));
  layout->addSpacing(12);
  layout->addWidget(ui::heading("Tips", panel));
  layout->addWidget(
      ui::note("Print at 100% on plain paper. Copies of a printed sheet work too.", panel));
  layout->addWidget(ui::note("Keep all four corner squares on the page; the code tells Ovalon the "
                             "test, version and page.",
                             panel));
  layout->addStretch();
  return panel;
}

void SheetsView::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  refresh();
}

void SheetsView::refresh() {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return;
  refreshing_ = true;
  const Exam &exam = doc->exam;
  int versions = static_cast<int>(exam.versions.size());
  if (version_->count() != versions) {
    version_->clear();
    for (int version = 0; version < versions; ++version)
      version_->addItem(ui::text(Choices::letter(version)), version);
  }
  int printVersion = std::clamp(model_.printVersion(), 0, versions - 1);
  version_->setCurrentIndex(printVersion);
  bool hasRoster = !doc->roster.students.empty();
  bool forRoster = model_.printForRoster() && hasRoster;
  bool dealing = forRoster && versions > 1 && model_.printDealsVersions();
  version_->setEnabled(versions > 1 && !dealing);
  versionHint_->setVisible(versions == 1);

  blank_->setChecked(!forRoster);
  forRoster_->setChecked(forRoster);
  forRoster_->setEnabled(hasRoster);
  if (copies_->value() != model_.printCopies() && !copies_->hasFocus())
    copies_->setValue(model_.printCopies());
  copies_->setEnabled(!forRoster);
  dealVersions_->setVisible(versions > 1 && hasRoster);
  dealVersions_->setEnabled(forRoster);
  dealVersions_->setChecked(model_.printDealsVersions());
  setTextIfChanged(copiesLabel_, model_.printCopies() == 1 ? "blank sheet" : "blank sheets");
  setTextIfChanged(rosterNote_,
                   hasRoster ? "Each sheet has the student\u2019s name printed and ID bubbles "
                               "filled, so no one bubbles a wrong ID."
                             : "Import a roster on the Test step to print names and IDs on the "
                               "sheets.");
  keyWarning_->setVisible(!exam.unkeyedQuestions().empty());

  // The preview is the first sheet that will print: with versions dealt in turn, the
  // first student's version rather than the one picked above.
  std::vector<PrintPage> printed = model_.printPages();
  int shownVersion = printed.empty() ? printVersion : printed.front().version;
  std::optional<SheetFill> fill = printed.empty() ? std::nullopt : printed.front().fill;
  QString letter = ui::text(Choices::letter(shownVersion));
  setTextIfChanged(previewTitle_, "Preview of version " + letter);
  picture_->setAccessibleName(
      "Preview of version " + letter + ", page " +
      QString::number(std::clamp(model_.previewPage(), 1, exam.pageCount())));
  int pages = exam.pageCount();
  int page = std::clamp(model_.previewPage(), 1, pages);
  page1_->setVisible(pages > 1);
  page2_->setVisible(pages > 1);
  page1_->setChecked(page == 1);
  page2_->setChecked(page == 2);
  refreshing_ = false;

  // Only the tab on screen draws its preview; it catches up when shown.
  if (!isVisible())
    return;
  picture_->show(exam, shownVersion, page, fill);
}

} // namespace ovalon
