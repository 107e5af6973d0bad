#pragma once

#include <QAbstractTableModel>

#ifndef Q_MOC_RUN
#include "grading/ItemAnalysis.h"
#endif

namespace ovalon {

// The item analysis as a table: "#", "Key", "Right", "Discrim.", "Answers chosen" and
// "Notes", one row per question in version A's numbers. Numbers sort as numbers
// through `sortRole`; the notes are given whole, for the view to wrap.
class ItemListModel : public QAbstractTableModel {
  Q_OBJECT

public:
  enum Column { number, key, right, discrimination, chosen, notes, columnTotal };
  static constexpr int sortRole = Qt::UserRole;

  using QAbstractTableModel::QAbstractTableModel;

  void setAnalysis(const ItemAnalysis &analysis, int choiceCount);

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
  QString text(const ItemStats &item, int column) const;

  ItemAnalysis analysis_;
  int choiceCount_ = 0;
};

} // namespace ovalon
