#pragma once

#include <QWidget>

class QSortFilterProxyModel;
class QTreeView;

namespace ovalon {

struct ItemAnalysis;
class ItemListModel;

// "Item analysis": one row per question in version A's numbers, with how the class
// answered it and what stands out, sortable by any column. Long notes wrap.
class ItemList : public QWidget {
  Q_OBJECT

public:
  explicit ItemList(QWidget *parent = nullptr);

  void setAnalysis(const ItemAnalysis &analysis, int choiceCount);
  QTreeView *view() const { return view_; }

private:
  ItemListModel *items_;
  QSortFilterProxyModel *sorted_;
  QTreeView *view_;
};

} // namespace ovalon
