#include "screens/TestListModel.h"

#include "model/AppModel.h"
#include "screens/Ui.h"
#include "workflow/Exports.h"

#include <algorithm>

namespace ovalon {

TestListModel::TestListModel(AppModel &model, QObject *parent)
    : QAbstractListModel(parent), model_(model) {
  refresh();
}

int TestListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant TestListModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount())
    return {};
  const Row &row = rows_[static_cast<size_t>(index.row())];
  switch (role) {
  case Qt::DisplayRole:
  case Qt::EditRole:
    return row.title;
  case Qt::ToolTipRole:
  case Qt::AccessibleTextRole:
    return row.title + ", " + row.counts;
  case idRole:
    return ui::text(row.id.text());
  case countsRole:
    return row.counts;
  case modifiedRole:
    return row.modified;
  default:
    return {};
  }
}

QModelIndex TestListModel::indexOf(const Uuid &examID) const {
  auto found = std::ranges::find(rows_, examID, &Row::id);
  return found == rows_.end() ? QModelIndex{} : index(static_cast<int>(found - rows_.begin()));
}

QString TestListModel::countsText(const ExamDocument &document) {
  QStringList parts{QString("%1 questions").arg(document.exam.questionCount)};
  if (document.exam.versions.size() > 1)
    parts << QString("%1 versions").arg(document.exam.versions.size());
  if (!document.sheets.empty())
    parts << QString("%1 graded").arg(document.sheets.size());
  if (int open = Exports::openItemCount(document); open > 0)
    parts << QString("%1 to review").arg(open);
  return parts.join(" \u00b7 ");
}

void TestListModel::refresh() {
  std::vector<Row> rows;
  for (const ExamDocument &document : model_.documents())
    rows.push_back({document.exam.id, ui::text(document.exam.title), countsText(document),
                    document.modified.sinceReferenceDate});
  bool sameTests = std::ranges::equal(rows, rows_, {}, &Row::id, &Row::id);
  if (!sameTests) {
    beginResetModel();
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

} // namespace ovalon
