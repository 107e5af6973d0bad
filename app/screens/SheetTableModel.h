#pragma once

#include <QAbstractTableModel>

#ifndef Q_MOC_RUN
#include "model/Uuid.h"

#include <vector>
#endif

namespace ovalon {

struct ExamDocument;

// The graded sheets of one test as a table: "#", "Student", "ID", "Ver.", "Score", "%"
// and "Review". Each column sorts by its value (numbers as numbers) through `sortRole`.
class SheetTableModel : public QAbstractTableModel {
  Q_OBJECT

public:
  enum Column { number, student, id, version, score, percent, review, columnTotal };
  enum Role { sheetIDRole = Qt::UserRole, sortRole, fromSheetRole, excludedRole };

  using QAbstractTableModel::QAbstractTableModel;

  // Rows change in place while the same sheets are shown, so a view keeps its
  // selection, sort and scroll position.
  void show(const ExamDocument *document);

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The row of this sheet, or an invalid index.
  QModelIndex indexOf(const Uuid &sheetID) const;

private:
  struct Row {
    Uuid id;
    QString texts[columnTotal];
    QVariant sortKeys[columnTotal];
    QString studentDescription;
    bool fromSheet = false;
    bool excluded = false;
    bool operator==(const Row &) const = default;
  };

  std::vector<Row> rows_;
};

} // namespace ovalon
