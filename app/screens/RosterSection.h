#pragma once

#include <QGroupBox>

class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace ovalon {

class AppModel;
class RosterTableModel;
struct ExamDocument;

// "Roster" on the Test tab: importing a class list, and the students it holds as a
// table that sorts by any column.
class RosterSection : public QGroupBox {
  Q_OBJECT

public:
  explicit RosterSection(AppModel &model, QWidget *parent = nullptr);

  void show(const ExamDocument &document);
  QTableView *table() const { return table_; }

private:
  void clear();

  AppModel &model_;
  QLabel *count_;
  QPushButton *clear_;
  RosterTableModel *students_;
  QSortFilterProxyModel *sorted_;
  QTableView *table_;
};

} // namespace ovalon
