#include "screens/SheetDetail.h"

#include "model/AppModel.h"
#include "model/Choices.h"
#include "screens/Legend.h"
#include "screens/ScanOverlay.h"
#include "screens/Ui.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

namespace {

const ScannedSheet *findSheet(const ExamDocument *doc, const std::optional<Uuid> &id) {
  if (!doc || !id)
    return nullptr;
  auto found = std::ranges::find(doc->sheets, *id, &ScannedSheet::id);
  return found == doc->sheets.end() ? nullptr : &*found;
}

} // namespace

SheetDetail::SheetDetail(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  stack_ = new QStackedWidget(this);
  outer->addWidget(stack_);
  stack_->addWidget(ui::emptyState(
      "Choose a Sheet", "Its scan shows here, with each answer marked right or wrong.", stack_));

  auto *detail = new QWidget(stack_);
  auto *layout = new QVBoxLayout(detail);
  layout->setContentsMargins(0, 0, 0, 0);
  auto *header = new QHBoxLayout;
  auto *lines = new QVBoxLayout;
  title_ = ui::heading({}, detail);
  title_->setObjectName("sheetTitle");
  who_ = new QLabel(detail);
  who_->setObjectName("sheetWho");
  source_ = ui::note({}, detail);
  lines->addWidget(title_);
  lines->addWidget(who_);
  lines->addWidget(source_);
  header->addLayout(lines, 1);
  rescan_ = new QPushButton(ui::symbol("arrow.triangle.2.circlepath"), "Rescan", detail);
  rescan_->setObjectName("rescanSheet");
  rescan_->setToolTip("Replace this sheet with a new scan (a smudged page, a makeup test) "
                      "without regrading the class");
  leaveOut_ = new QPushButton("Leave Out", detail);
  leaveOut_->setObjectName("leaveOut");
  leaveOut_->setCheckable(true);
  leaveOut_->setToolTip("Keep this sheet out of scores, the gradebook and the report");
  header->addWidget(rescan_, 0, Qt::AlignTop);
  header->addWidget(leaveOut_, 0, Qt::AlignTop);
  layout->addLayout(header);

  auto *bar = new QHBoxLayout;
  pageLabel_ = new QLabel("Page", detail);
  pagePicker_ = new QComboBox(detail);
  pagePicker_->setObjectName("pagePicker");
  bar->addWidget(pageLabel_);
  bar->addWidget(pagePicker_);
  bar->addStretch();
  review_ = new QPushButton(detail);
  review_->setObjectName("reviewMarks");
  bar->addWidget(review_);
  layout->addLayout(bar);

  auto *scroll = new QScrollArea(detail);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto *page = new QWidget(scroll);
  auto *pageLayout = new QVBoxLayout(page);
  pageLayout->setContentsMargins(0, 0, 0, 0);
  overlay_ = new ScanOverlay(page);
  overlay_->setObjectName("scanOverlay");
  pageLayout->addWidget(overlay_);
  noScan_ = ui::emptyState("No Scan Kept", "This sheet's scan isn't in the library.", page);
  pageLayout->addWidget(noScan_);
  pageLayout->addStretch();
  scroll->setWidget(page);
  layout->addWidget(scroll, 1);
  layout->addWidget(new Legend(detail));
  stack_->addWidget(detail);

  connect(rescan_, &QPushButton::clicked, this, [this] {
    if (auto sheet = model_.selectedSheet())
      model_.rescanSheet(*sheet);
  });
  connect(leaveOut_, &QPushButton::clicked, this, [this](bool checked) {
    if (auto sheet = model_.selectedSheet())
      model_.setExcluded(*sheet, checked);
  });
  connect(pagePicker_, &QComboBox::activated, this, [this](int index) {
    page_ = index + 1;
    showPage();
  });
  connect(review_, &QPushButton::clicked, this, [this] {
    const ScannedSheet *sheet = findSheet(model_.selectedDocument(), model_.selectedSheet());
    if (!sheet)
      return;
    auto open = sheet->openFlags();
    if (open.empty())
      return;
    model_.setReviewSelection(
        AppModel::ReviewItem{AppModel::ReviewItem::Flag{sheet->id, open.front().id}});
    model_.setTab(AppModel::Tab::review);
  });
  refresh();
}

void SheetDetail::refresh() {
  const ExamDocument *doc = model_.selectedDocument();
  const ScannedSheet *sheet = findSheet(doc, model_.selectedSheet());
  if (!sheet) {
    stack_->setCurrentIndex(0);
    shownSheet_.clear();
    return;
  }
  stack_->setCurrentIndex(1);
  QString id = ui::text(sheet->id.text());
  if (id != shownSheet_)
    page_ = 1; // a new sheet opens on its first page
  shownSheet_ = id;

  title_->setText("Sheet " + QString::number(sheet->number));
  QString who = "Unknown";
  auto studentID = sheet->studentID();
  if (studentID)
    who = doc->roster.student(*studentID) ? ui::text(doc->roster.student(*studentID)->name())
                                          : QString("Not on roster");
  who += " \u00B7 ID " + (studentID ? ui::text(*studentID) : QString("none"));
  who += " \u00B7 Version " + ui::text(Choices::letter(sheet->version));
  who_->setText(who);
  QStringList pages;
  for (int p : sheet->sourcePages)
    pages << QString::number(p);
  QString source = ui::text(sheet->source) + " p. " + pages.join(", ");
  if (auto placement = sheet->placementNote())
    source += "\n" + ui::text(*placement);
  source_->setText(source);
  leaveOut_->setChecked(sheet->excluded);
  rescan_->setEnabled(!model_.progress());

  int open = static_cast<int>(sheet->openFlags().size());
  review_->setVisible(open > 0);
  review_->setText("Review " + QString::number(open) + " Mark" + (open == 1 ? "" : "s"));

  int pageCount = std::max<int>(1, static_cast<int>(sheet->pageImages.size()));
  page_ = std::clamp(page_, 1, pageCount);
  pagePicker_->clear();
  for (int p = 1; p <= pageCount; ++p)
    pagePicker_->addItem(QString::number(p));
  pagePicker_->setCurrentIndex(page_ - 1);
  pagePicker_->setVisible(pageCount > 1);
  pageLabel_->setVisible(pageCount > 1);
  showPage();
}

void SheetDetail::showPage() {
  const ExamDocument *doc = model_.selectedDocument();
  const ScannedSheet *sheet = findSheet(doc, model_.selectedSheet());
  if (!sheet)
    return;
  std::optional<QImage> image;
  if (page_ - 1 < static_cast<int>(sheet->pageImages.size()))
    image = model_.image(sheet->pageImages[static_cast<size_t>(page_ - 1)]);
  overlay_->setVisible(image.has_value());
  noScan_->setVisible(!image);
  if (!image) {
    overlay_->setPage({}, {});
    overlay_->setAccessibleName({});
    return;
  }
  auto rings = ScanOverlay::rings(doc->exam, *sheet, page_);
  overlay_->setAccessibleName(ScanOverlay::summary(rings, page_));
  overlay_->setPage(*image, std::move(rings));
}

} // namespace ovalon
