#pragma once

#include <QAbstractTableModel>

#ifndef Q_MOC_RUN
#include "model/Roster.h"
#endif

namespace ovalon {

// A test's roster as a table: each student's ID and the two halves of the name as the
// import split them, so a name split in the wrong place shows at once.
class RosterTableModel : public QAbstractTableModel {
  Q_OBJECT

public:
  enum Column { id, lastName, firstName, columnTotal };

  using QAbstractTableModel::QAbstractTableModel;

  void setRoster(const Roster &roster);

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
  Roster roster_;
};

} // namespace ovalon
