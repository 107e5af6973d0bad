#pragma once

#include <QWidget>

#ifndef Q_MOC_RUN
#include "model/QuestionKey.h"

#include <vector>
#endif

class QGridLayout;

namespace ovalon {

struct Exam;
class KeyRow;

// The answer key as rows of bubbles, numbered down the columns. As many columns as fit
// (at most four) share the questions evenly, so 30 questions stand as 8, 8, 8 and 6
// rather than 25 and 5.
class KeyGrid : public QWidget {
  Q_OBJECT

public:
  static constexpr int maxColumns = 4;

  explicit KeyGrid(QWidget *parent = nullptr);

  // One row per question of the exam, showing its key; rows are added and removed only
  // at the end, and otherwise updated in place.
  void show(const Exam &exam);
  KeyRow *row(int question) const;
  int columnCount() const { return columns_; }

  // Narrow enough for one column: the grid reflows rather than forcing the window wide.
  QSize minimumSizeHint() const override;

  // How many rows a column holds for `questions` questions in `columns` columns.
  static int rowsPerColumn(int questions, int columns);

signals:
  void keyChanged(int question, ovalon::QuestionKey key);

protected:
  void resizeEvent(QResizeEvent *event) override;

private:
  int fittingColumns(int width) const;
  void place();

  QGridLayout *grid_;
  std::vector<KeyRow *> rows_;
  int columns_ = maxColumns;
};

} // namespace ovalon
