#include "screens/ItemList.h"

#include "screens/ItemListModel.h"
#include "screens/Ui.h"

#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace ovalon {

namespace {

// Sizes each row for the notes wrapped at their column's width, which the tree view
// itself doesn't do, so long notes get the lines they need.
class WrappingDelegate : public QStyledItemDelegate {
public:
  WrappingDelegate(QHeaderView &header, QObject *parent)
      : QStyledItemDelegate(parent), header_(header) {}

  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    if (index.column() != ItemListModel::notes)
      return QStyledItemDelegate::sizeHint(option, index);
    QStyleOptionViewItem wrapped = option;
    wrapped.features |= QStyleOptionViewItem::WrapText;
    // A rectangle as wide as the column and tall enough for any number of lines.
    wrapped.rect = QRect(0, 0, header_.sectionSize(index.column()), 1 << 20);
    return QStyledItemDelegate::sizeHint(wrapped, index);
  }

private:
  QHeaderView &header_;
};

} // namespace

ItemList::ItemList(QWidget *parent)
    : QWidget(parent), items_(new ItemListModel(this)), sorted_(new QSortFilterProxyModel(this)),
      view_(new QTreeView(this)) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  QLabel *heading = ui::heading("Item analysis", this);
  heading->setBuddy(view_);
  layout->addWidget(heading);
  layout->addWidget(ui::note("Numbered as on version A", this));
  layout->addWidget(ui::note("See which questions were hard, which ones split strong and weak "
                             "students, and which wrong answers drew the class, merged across "
                             "every version.",
                             this));
  sorted_->setSourceModel(items_);
  sorted_->setSortRole(ItemListModel::sortRole);
  view_->setObjectName("itemList");
  view_->setAccessibleName("Item analysis");
  view_->setModel(sorted_);
  view_->setRootIsDecorated(false);
  view_->setAlternatingRowColors(true);
  view_->setSortingEnabled(true);
  view_->sortByColumn(ItemListModel::number, Qt::AscendingOrder);
  // Notes are sentences: they wrap onto more lines rather than end in "…".
  view_->setWordWrap(true);
  view_->setUniformRowHeights(false);
  view_->setTextElideMode(Qt::ElideNone);
  view_->setItemDelegate(new WrappingDelegate(*view_->header(), view_));
  view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  view_->header()->setSectionResizeMode(ItemListModel::notes, QHeaderView::Stretch);
  view_->header()->setStretchLastSection(false);
  view_->setMinimumHeight(300);
  // Wrapped rows grow or shrink with the width their notes get.
  connect(view_->header(), &QHeaderView::sectionResized, view_, [this](int column) {
    if (column == ItemListModel::notes)
      view_->doItemsLayout();
  });
  layout->addWidget(view_);
}

void ItemList::setAnalysis(const ItemAnalysis &analysis, int choiceCount) {
  items_->setAnalysis(analysis, choiceCount);
}

} // namespace ovalon
