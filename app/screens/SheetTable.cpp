#include "screens/SheetTable.h"

#include "model/AppModel.h"
#include "screens/SheetTableModel.h"
#include "screens/Ui.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

namespace {

// The table never claims more than this, so the scan beside it stays readable.
constexpr int widestTable = 620;
// Room the style leaves around a cell's text.
constexpr int cellPadding = 14;

QString plural(int n, const QString &word) {
  return QString::number(n) + " " + word + (n == 1 ? "" : "s");
}

std::optional<Uuid> sheetAt(const QModelIndex &index) {
  return Uuid::parse(ui::utf8(index.data(SheetTableModel::sheetIDRole).toString()));
}

} // namespace

SheetTable::SheetTable(AppModel &model, QWidget *parent)
    : QWidget(parent), model_(model), summary_(new QLabel(this)),
      sheets_(new SheetTableModel(this)), sorted_(new QSortFilterProxyModel(this)),
      view_(new QTreeView(this)) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  summary_->setObjectName("sheetSummary");
  layout->addWidget(summary_);

  sorted_->setSourceModel(sheets_);
  sorted_->setSortRole(SheetTableModel::sortRole);
  sorted_->setDynamicSortFilter(true);
  view_->setObjectName("sheetTable");
  view_->setAccessibleName("Graded sheets");
  view_->setModel(sorted_);
  view_->setRootIsDecorated(false);
  view_->setUniformRowHeights(true);
  view_->setAlternatingRowColors(true);
  view_->setSortingEnabled(true);
  view_->sortByColumn(SheetTableModel::number, Qt::AscendingOrder);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  view_->header()->setSectionResizeMode(SheetTableModel::student, QHeaderView::Stretch);
  view_->header()->setStretchLastSection(false);
  layout->addWidget(view_);

  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &SheetTable::selectionMoved);
  connect(view_, &QWidget::customContextMenuRequested, this, &SheetTable::showMenu);
  refresh();
}

void SheetTable::refresh() {
  const ExamDocument *doc = model_.selectedDocument();
  filling_ = true;
  sheets_->show(doc);
  if (doc) {
    int notRead = static_cast<int>(std::ranges::count(doc->issues, false, &ScanIssue::dismissed));
    QString line = plural(static_cast<int>(doc->sheets.size()), "sheet") + " graded";
    if (notRead > 0)
      line += ", " + plural(notRead, "page") + " not read";
    summary_->setText(line);
  } else {
    summary_->clear();
  }
  QModelIndex selected;
  if (auto sheet = model_.selectedSheet())
    selected = sorted_->mapFromSource(sheets_->indexOf(*sheet));
  if (selected.isValid()) {
    if (!view_->selectionModel()->isRowSelected(selected.row(), {}))
      view_->selectionModel()->setCurrentIndex(selected, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    view_->scrollTo(selected);
  } else {
    view_->selectionModel()->clearSelection();
  }
  filling_ = false;
  fitColumns();
}

void SheetTable::fitColumns() {
  // Italic names read from the sheet are measured in italic, as they are drawn.
  QFont italic = view_->font();
  italic.setItalic(true);
  QFontMetrics plain(view_->font());
  QFontMetrics slanted(italic);
  int needed = view_->frameWidth() * 2 + view_->verticalScrollBar()->sizeHint().width();
  for (int column = 0; column < SheetTableModel::columnTotal; ++column) {
    int widest = view_->header()->sectionSizeHint(column);
    for (int row = 0; row < sheets_->rowCount(); ++row) {
      QModelIndex cell = sheets_->index(row, column);
      const QFontMetrics &metrics = cell.data(Qt::FontRole).isValid() ? slanted : plain;
      widest = std::max(widest, metrics.horizontalAdvance(cell.data().toString()) + cellPadding);
    }
    needed += widest;
  }
  setMinimumWidth(std::min(needed, widestTable));
}

void SheetTable::selectionMoved() {
  if (filling_)
    return;
  QModelIndexList rows = view_->selectionModel()->selectedRows();
  std::optional<Uuid> sheet = rows.isEmpty() ? std::nullopt : sheetAt(rows.front());
  if (sheet != model_.selectedSheet())
    model_.setSelectedSheet(sheet);
}

void SheetTable::showMenu(const QPoint &at) {
  const ExamDocument *doc = model_.selectedDocument();
  auto sheetID = sheetAt(view_->indexAt(at));
  if (!doc || !sheetID)
    return;
  auto sheet = std::ranges::find(doc->sheets, *sheetID, &ScannedSheet::id);
  if (sheet == doc->sheets.end())
    return;
  Uuid id = *sheetID;
  bool excluded = sheet->excluded;
  QMenu menu(this);
  menu.addAction(excluded ? "Include in Results" : "Leave Out of Results",
                 [this, id, excluded] { model_.setExcluded(id, !excluded); });
  menu.addAction(ui::symbol("arrow.triangle.2.circlepath"), "Rescan Sheet\u2026",
                 [this, id] { model_.rescanSheet(id); });
  menu.addSeparator();
  menu.addAction(ui::symbol("trash"), "Remove Sheet", [this, id] { model_.removeSheet(id); });
  menu.exec(view_->viewport()->mapToGlobal(at));
}

} // namespace ovalon
