#include "screens/ItemListModel.h"

#include "model/Choices.h"
#include "screens/Ui.h"

namespace ovalon {

namespace {

const char *const titles[]{"#", "Key", "Right", "Discrim.", "Answers chosen", "Notes"};

bool isNumeric(int column) {
  return column == ItemListModel::number || column == ItemListModel::right ||
         column == ItemListModel::discrimination;
}

} // namespace

void ItemListModel::setAnalysis(const ItemAnalysis &analysis, int choiceCount) {
  beginResetModel();
  analysis_ = analysis;
  choiceCount_ = choiceCount;
  endResetModel();
}

int ItemListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(analysis_.items.size());
}

int ItemListModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : Column::columnTotal;
}

QString ItemListModel::text(const ItemStats &item, int column) const {
  switch (column) {
  case number:
    return QString::number(item.question + 1);
  case key:
    return item.dropped       ? QString("dropped")
           : item.key.empty() ? QString("\u2014")
                              : ui::text(Choices::text(item.key));
  case right:
    return QString::asprintf("%.0f%%", item.p * 100);
  case discrimination:
    return QString::asprintf("%.2f", item.discrimination);
  case chosen: {
    QStringList parts;
    for (int choice = 0; choice < choiceCount_; ++choice) {
      int count = choice < static_cast<int>(item.choiceCounts.size())
                      ? item.choiceCounts[static_cast<size_t>(choice)]
                      : 0;
      parts << ui::text(Choices::letter(choice)) + " " + QString::number(count);
    }
    if (item.blankCount > 0)
      parts << "blank " + QString::number(item.blankCount);
    return parts.join("  ");
  }
  case notes: {
    QStringList parts;
    for (const ItemNote &note : item.notes)
      parts << ui::text(note.text());
    return parts.join("; ");
  }
  default:
    return {};
  }
}

QVariant ItemListModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount())
    return {};
  const ItemStats &item = analysis_.items[static_cast<size_t>(index.row())];
  int column = index.column();
  switch (role) {
  case Qt::DisplayRole:
  case Qt::ToolTipRole:
  case Qt::AccessibleTextRole:
    return text(item, column);
  case Qt::TextAlignmentRole:
    return isNumeric(column) ? QVariant(Qt::AlignRight | Qt::AlignTop)
                             : QVariant(Qt::AlignLeft | Qt::AlignTop);
  case sortRole:
    switch (column) {
    case number:
      return item.question;
    case right:
      return item.p;
    case discrimination:
      return item.discrimination;
    default:
      return text(item, column).toCaseFolded();
    }
  default:
    return {};
  }
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < columnTotal)
    return titles[section];
  if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole && isNumeric(section))
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace ovalon
