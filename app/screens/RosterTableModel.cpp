#include "screens/RosterTableModel.h"

#include "screens/Ui.h"

namespace ovalon {

void RosterTableModel::setRoster(const Roster &roster) {
  if (roster == roster_)
    return;
  beginResetModel();
  roster_ = roster;
  endResetModel();
}

int RosterTableModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(roster_.students.size());
}

int RosterTableModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : Column::columnTotal;
}

QVariant RosterTableModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount())
    return {};
  const Student &student = roster_.students[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    switch (index.column()) {
    case id:
      return ui::text(student.id);
    case lastName:
      return ui::text(student.lastName);
    case firstName:
      return ui::text(student.firstName);
    default:
      return {};
    }
  }
  if (role == Qt::AccessibleTextRole)
    return ui::text(student.name() + ", ID " + student.id);
  // IDs sort by their number, names as the roster's own order sorts them.
  if (role == Qt::UserRole) {
    if (index.column() == id)
      return ui::text(Student::idKey(student.id)).rightJustified(12, '0');
    return ui::text(index.column() == lastName ? student.sortName()
                                               : student.firstName + ", " + student.lastName)
        .toCaseFolded();
  }
  return {};
}

QVariant RosterTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
    return QAbstractTableModel::headerData(section, orientation, role);
  switch (section) {
  case id:
    return "Student ID";
  case lastName:
    return "Last name";
  case firstName:
    return "First name";
  default:
    return {};
  }
}

} // namespace ovalon
