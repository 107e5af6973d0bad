#include "screens/ReviewListModel.h"

#include "screens/Ui.h"

#include <algorithm>

namespace ovalon {

void ReviewListModel::show(const ExamDocument *document, std::vector<Review::Item> items) {
  std::vector<ReviewRow> rows;
  std::vector<Review::Item> shown;
  if (document)
    for (const Review::Item &item : items)
      if (auto row = ReviewRow::make(*document, item)) {
        rows.push_back(std::move(*row));
        shown.push_back(item);
      }
  if (shown != items_) {
    beginResetModel();
    items_ = std::move(shown);
    rows_ = std::move(rows);
    endResetModel();
    return;
  }
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i] != rows_[i]) {
      rows_[i] = std::move(rows[i]);
      QModelIndex changed = index(static_cast<int>(i));
      emit dataChanged(changed, changed);
    }
}

int ReviewListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant ReviewListModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount())
    return {};
  const ReviewRow &row = rows_[static_cast<size_t>(index.row())];
  QString detail = ui::text(row.detail);
  if (row.settled)
    detail += " \u00B7 " + ui::text(*row.settled);
  switch (role) {
  case Qt::DisplayRole:
    return ui::text(row.title) + "\n" + detail;
  case Qt::ToolTipRole:
  case Qt::AccessibleTextRole:
    return ui::text(row.title) + ", " + detail + (row.open ? QString(", open") : QString());
  case titleRole:
    return ui::text(row.title);
  case detailRole:
    return ui::text(row.detail);
  case settledRole:
    return row.settled ? QVariant(ui::text(*row.settled)) : QVariant();
  case kindRole:
    return static_cast<int>(row.kind);
  case openRole:
    return row.open;
  default:
    return {};
  }
}

QModelIndex ReviewListModel::indexOf(const Review::Item &item) const {
  auto found = std::ranges::find(items_, item);
  return found == items_.end() ? QModelIndex{} : index(static_cast<int>(found - items_.begin()));
}

std::optional<Review::Item> ReviewListModel::itemAt(const QModelIndex &index) const {
  if (!index.isValid() || index.row() >= rowCount())
    return std::nullopt;
  return items_[static_cast<size_t>(index.row())];
}

} // namespace ovalon
