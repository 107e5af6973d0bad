#include "screens/ScoreList.h"

#include "screens/SheetTableModel.h"
#include "screens/Ui.h"

#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace ovalon {

namespace {

// The graded sheets that count: excluded sheets are left out of every score.
class CountedSheets : public QSortFilterProxyModel {
public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
  bool filterAcceptsRow(int row, const QModelIndex &parent) const override {
    QModelIndex index = sourceModel()->index(row, 0, parent);
    return !index.data(SheetTableModel::excludedRole).toBool();
  }
};

} // namespace

ScoreList::ScoreList(QWidget *parent)
    : QWidget(parent), sheets_(new SheetTableModel(this)), counted_(new CountedSheets(this)),
      view_(new QTreeView(this)) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  QLabel *heading = ui::heading("Scores", this);
  heading->setBuddy(view_);
  layout->addWidget(heading);
  counted_->setSourceModel(sheets_);
  counted_->setSortRole(SheetTableModel::sortRole);
  counted_->setDynamicSortFilter(true);
  view_->setObjectName("scoreList");
  view_->setAccessibleName("Scores");
  view_->setModel(counted_);
  view_->setRootIsDecorated(false);
  view_->setUniformRowHeights(true);
  view_->setAlternatingRowColors(true);
  view_->setSortingEnabled(true);
  view_->sortByColumn(SheetTableModel::number, Qt::AscendingOrder);
  for (int column : {SheetTableModel::id, SheetTableModel::version, SheetTableModel::review})
    view_->setColumnHidden(column, true);
  view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  view_->header()->setSectionResizeMode(SheetTableModel::student, QHeaderView::Stretch);
  view_->header()->setStretchLastSection(false);
  view_->setMinimumHeight(260);
  layout->addWidget(view_);
}

void ScoreList::setDocument(const ExamDocument &document) {
  sheets_->show(&document);
}

} // namespace ovalon
