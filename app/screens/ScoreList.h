#pragma once

#include <QWidget>

class QSortFilterProxyModel;
class QTreeView;

namespace ovalon {

struct ExamDocument;
class SheetTableModel;

// "Scores": every sheet that counts, with its student and score, sortable by any column.
class ScoreList : public QWidget {
  Q_OBJECT

public:
  explicit ScoreList(QWidget *parent = nullptr);

  void setDocument(const ExamDocument &document);
  QTreeView *view() const { return view_; }

private:
  SheetTableModel *sheets_;
  QSortFilterProxyModel *counted_;
  QTreeView *view_;
};

} // namespace ovalon
