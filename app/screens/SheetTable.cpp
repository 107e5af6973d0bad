#include "screens/SheetTable.h"

#include "grading/Scoring.h"
#include "model/AppModel.h"
#include "model/Choices.h"
#include "reports/PointsText.h"
#include "screens/Ui.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

namespace {

enum Column { number, student, id, version, score, percent, review, columnCount };

QString plural(int n, const QString &word) {
  return QString::number(n) + " " + word + (n == 1 ? "" : "s");
}

QString studentName(const ExamDocument &doc, const ScannedSheet &sheet) {
  auto id = sheet.studentID();
  if (!id)
    return "Unknown";
  if (auto student = doc.roster.student(*id))
    return ui::text(student->name());
  return "Not on roster";
}

} // namespace

SheetTable::SheetTable(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  summary_ = new QLabel(this);
  summary_->setObjectName("sheetSummary");
  layout->addWidget(summary_);
  table_ = new QTreeWidget(this);
  table_->setObjectName("sheetTable");
  table_->setColumnCount(columnCount);
  table_->setHeaderLabels({"#", "Student", "ID", "Ver.", "Score", "%", "Review"});
  table_->setRootIsDecorated(false);
  table_->setUniformRowHeights(true);
  table_->setAlternatingRowColors(true);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setContextMenuPolicy(Qt::CustomContextMenu);
  table_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->header()->setSectionResizeMode(student, QHeaderView::Stretch);
  table_->header()->setStretchLastSection(false);
  layout->addWidget(table_);

  connect(table_, &QTreeWidget::itemSelectionChanged, this, &SheetTable::selectionMoved);
  connect(table_, &QWidget::customContextMenuRequested, this, &SheetTable::showMenu);
  refresh();
}

void SheetTable::refresh() {
  const ExamDocument *doc = model_.selectedDocument();
  filling_ = true;
  if (!doc) {
    table_->clear();
    summary_->clear();
    filling_ = false;
    return;
  }
  int notRead = static_cast<int>(std::ranges::count(doc->issues, false, &ScanIssue::dismissed));
  QString line = plural(static_cast<int>(doc->sheets.size()), "sheet") + " graded";
  if (notRead > 0)
    line += ", " + plural(notRead, "page") + " not read";
  summary_->setText(line);

  std::vector<const ScannedSheet *> sheets;
  for (const ScannedSheet &sheet : doc->sheets)
    sheets.push_back(&sheet);
  std::ranges::sort(sheets, {}, &ScannedSheet::number);
  // Rows are updated in place while the sheets stay the same, so the scroll position and
  // selection survive every refresh.
  bool sameSheets = table_->topLevelItemCount() == static_cast<int>(sheets.size());
  for (size_t i = 0; sameSheets && i < sheets.size(); ++i)
    sameSheets = table_->topLevelItem(static_cast<int>(i))->data(number, Qt::UserRole) ==
                 ui::text(sheets[i]->id.text());
  if (!sameSheets)
    table_->clear();
  for (size_t i = 0; i < sheets.size(); ++i) {
    const ScannedSheet *sheet = sheets[i];
    SheetScore result = Scoring::score(*sheet, doc->exam);
    auto *item = sameSheets ? table_->topLevelItem(static_cast<int>(i)) : new QTreeWidgetItem;
    item->setData(number, Qt::UserRole, ui::text(sheet->id.text()));
    item->setText(number, QString::number(sheet->number));
    item->setText(student, studentName(*doc, *sheet));
    item->setText(id, ui::text(sheet->studentID().value_or(sheet->readID)));
    item->setText(version, ui::text(Choices::letter(sheet->version)));
    item->setText(score, ui::text(pointsText(result.earned) + " / " + pointsText(result.possible)));
    item->setText(percent, QString::asprintf("%.0f%%", result.percent()));
    int open = static_cast<int>(sheet->openFlags().size());
    if (sheet->excluded) {
      item->setText(review, "Left out");
      for (int column = 0; column < columnCount; ++column)
        item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
    } else if (open > 0) {
      item->setText(review, QString::number(open) + " to review");
    } else {
      item->setText(review, "\u2713");
    }
    if (!sheet->excluded)
      for (int column = 0; column < columnCount; ++column)
        item->setData(column, Qt::ForegroundRole, QVariant());
    for (int column : {number, version, score, percent})
      item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    if (!sameSheets)
      table_->addTopLevelItem(item);
    item->setSelected(model_.selectedSheet() == sheet->id);
    if (item->isSelected())
      table_->scrollToItem(item);
  }
  filling_ = false;
}

void SheetTable::selectionMoved() {
  if (filling_)
    return;
  auto selected = table_->selectedItems();
  std::optional<Uuid> sheet;
  if (!selected.isEmpty())
    sheet = Uuid::parse(ui::utf8(selected.front()->data(number, Qt::UserRole).toString()));
  if (sheet != model_.selectedSheet())
    model_.setSelectedSheet(sheet);
}

void SheetTable::showMenu(const QPoint &at) {
  QTreeWidgetItem *item = table_->itemAt(at);
  const ExamDocument *doc = model_.selectedDocument();
  if (!item || !doc)
    return;
  auto sheetID = Uuid::parse(ui::utf8(item->data(number, Qt::UserRole).toString()));
  auto sheet = std::ranges::find(doc->sheets, sheetID, &ScannedSheet::id);
  if (!sheetID || sheet == doc->sheets.end())
    return;
  Uuid id = *sheetID;
  bool excluded = sheet->excluded;
  QMenu menu(this);
  menu.addAction(excluded ? "Include in Results" : "Leave Out of Results",
                 [this, id, excluded] { model_.setExcluded(id, !excluded); });
  menu.addAction("Rescan Sheet\u2026", [this, id] { model_.rescanSheet(id); });
  menu.addSeparator();
  menu.addAction("Remove Sheet", [this, id] { model_.removeSheet(id); });
  menu.exec(table_->viewport()->mapToGlobal(at));
}

} // namespace ovalon
