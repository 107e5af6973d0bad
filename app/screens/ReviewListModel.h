#pragma once

#include <QAbstractListModel>

#ifndef Q_MOC_RUN
#include "screens/ReviewRow.h"
#include "workflow/Review.h"

#include <optional>
#include <vector>
#endif

namespace ovalon {

struct ExamDocument;

// The review list of one test: each item with its kind, where it is and, once settled,
// what was decided. The display text is the row's two lines; roles carry the parts.
class ReviewListModel : public QAbstractListModel {
  Q_OBJECT

public:
  enum Role { titleRole = Qt::UserRole, detailRole, settledRole, kindRole, openRole };

  using QAbstractListModel::QAbstractListModel;

  // Rows change in place while the items stay the same, so a view keeps its place.
  void show(const ExamDocument *document, std::vector<Review::Item> items);

  int rowCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;

  const std::vector<Review::Item> &items() const { return items_; }
  QModelIndex indexOf(const Review::Item &item) const;
  std::optional<Review::Item> itemAt(const QModelIndex &index) const;

private:
  std::vector<Review::Item> items_;
  std::vector<ReviewRow> rows_;
};

} // namespace ovalon
