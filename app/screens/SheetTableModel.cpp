#include "screens/SheetTableModel.h"

#include "grading/Scoring.h"
#include "library/ExamDocument.h"
#include "model/Choices.h"
#include "reports/PointsText.h"
#include "screens/StudentLabel.h"
#include "screens/Ui.h"

#include <QFont>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace ovalon {

namespace {

const char *const titles[]{"#", "Student", "ID", "Ver.", "Score", "%", "Review"};

bool isNumeric(int column) {
  return column == SheetTableModel::number || column == SheetTableModel::score ||
         column == SheetTableModel::percent || column == SheetTableModel::version;
}

} // namespace

void SheetTableModel::show(const ExamDocument *document) {
  std::vector<Row> rows;
  if (document) {
    std::vector<const ScannedSheet *> sheets;
    for (const ScannedSheet &sheet : document->sheets)
      sheets.push_back(&sheet);
    std::ranges::sort(sheets, {}, &ScannedSheet::number);
    for (const ScannedSheet *sheet : sheets) {
      SheetScore result = Scoring::score(*sheet, document->exam);
      StudentLabel who = StudentLabel::of(*document, *sheet);
      int open = static_cast<int>(sheet->openFlags().size());
      QString studentID = ui::text(sheet->studentID().value_or(sheet->readID));
      Row row{sheet->id, {}, {}, who.description, who.fromSheet, sheet->excluded};
      row.texts[number] = QString::number(sheet->number);
      row.texts[student] = who.text;
      row.texts[id] = studentID;
      row.texts[version] = ui::text(Choices::letter(sheet->version));
      row.texts[score] = ui::text(pointsText(result.earned) + " / " + pointsText(result.possible));
      row.texts[percent] = QString::asprintf("%.0f%%", result.percent());
      row.texts[review] = sheet->excluded ? QString("Left out")
                          : open > 0      ? QString("%1 to review").arg(open)
                                          : QString("\u2713");
      row.sortKeys[number] = sheet->number;
      row.sortKeys[student] = who.text.toCaseFolded();
      row.sortKeys[id] = studentID.rightJustified(12, '0');
      row.sortKeys[version] = sheet->version;
      row.sortKeys[score] = result.earned;
      row.sortKeys[percent] = result.percent();
      row.sortKeys[review] = sheet->excluded ? -1 : open;
      rows.push_back(std::move(row));
    }
  }
  bool sameSheets = std::ranges::equal(rows, rows_, {}, &Row::id, &Row::id);
  if (!sameSheets) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
    return;
  }
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i] != rows_[i]) {
      rows_[i] = std::move(rows[i]);
      int row = static_cast<int>(i);
      emit dataChanged(index(row, 0), index(row, columnTotal - 1));
    }
}

int SheetTableModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SheetTableModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : Column::columnTotal;
}

QVariant SheetTableModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount())
    return {};
  const Row &row = rows_[static_cast<size_t>(index.row())];
  int column = index.column();
  switch (role) {
  case Qt::DisplayRole:
    return row.texts[column];
  case Qt::ToolTipRole:
  case Qt::AccessibleTextRole:
    return column == student ? row.studentDescription : row.texts[column];
  case Qt::TextAlignmentRole:
    return isNumeric(column) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
  case Qt::FontRole:
    if (column == student && row.fromSheet) {
      QFont italic = QGuiApplication::font();
      italic.setItalic(true);
      return italic;
    }
    return {};
  case Qt::ForegroundRole:
    // A sheet left out of the results is greyed like a disabled line.
    if (row.excluded)
      return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    return {};
  case sheetIDRole:
    return ui::text(row.id.text());
  case sortRole:
    return row.sortKeys[column];
  case fromSheetRole:
    return row.fromSheet;
  case excludedRole:
    return row.excluded;
  default:
    return {};
  }
}

QVariant SheetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < columnTotal)
    return titles[section];
  if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole && isNumeric(section))
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  return QAbstractTableModel::headerData(section, orientation, role);
}

QModelIndex SheetTableModel::indexOf(const Uuid &sheetID) const {
  auto found = std::ranges::find(rows_, sheetID, &Row::id);
  return found == rows_.end() ? QModelIndex{} : index(static_cast<int>(found - rows_.begin()), 0);
}

} // namespace ovalon
