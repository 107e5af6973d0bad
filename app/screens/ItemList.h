#pragma once

#include <QWidget>

class QTreeWidget;

namespace ovalon {

struct ItemAnalysis;

// "Item analysis": one row per question in version A's numbers, with how the class
// answered it and what stands out.
class ItemList : public QWidget {
  Q_OBJECT

public:
  explicit ItemList(QWidget *parent = nullptr);

  void setAnalysis(const ItemAnalysis &analysis, int choiceCount);

private:
  QTreeWidget *table_;
};

} // namespace ovalon
