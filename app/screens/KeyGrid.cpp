#include "screens/KeyGrid.h"

#include "model/Exam.h"
#include "screens/KeyRow.h"

#include <QGridLayout>
#include <QResizeEvent>

#include <algorithm>

namespace ovalon {

namespace {

constexpr int columnGap = 24;

} // namespace

KeyGrid::KeyGrid(QWidget *parent) : QWidget(parent), grid_(new QGridLayout(this)) {
  setObjectName("keyGrid");
  grid_->setContentsMargins(0, 4, 0, 0);
  grid_->setHorizontalSpacing(columnGap);
  grid_->setVerticalSpacing(0);
  grid_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

int KeyGrid::rowsPerColumn(int questions, int columns) {
  columns = std::max(1, columns);
  return std::max(1, (questions + columns - 1) / columns);
}

KeyRow *KeyGrid::row(int question) const {
  if (question < 0 || question >= static_cast<int>(rows_.size()))
    return nullptr;
  return rows_[static_cast<size_t>(question)];
}

void KeyGrid::show(const Exam &exam) {
  int count = exam.questionCount;
  bool changed = static_cast<int>(rows_.size()) != count;
  while (static_cast<int>(rows_.size()) > count) {
    delete rows_.back();
    rows_.pop_back();
  }
  while (static_cast<int>(rows_.size()) < count) {
    auto *row = new KeyRow(static_cast<int>(rows_.size()), this);
    connect(row, &KeyRow::keyChanged, this, &KeyGrid::keyChanged);
    rows_.push_back(row);
  }
  for (int question = 0; question < count; ++question)
    rows_[static_cast<size_t>(question)]->show(exam.key[static_cast<size_t>(question)],
                                               exam.choiceCount);
  if (changed)
    place();
}

QSize KeyGrid::minimumSizeHint() const {
  QSize laidOut = grid_->minimumSize();
  if (rows_.empty())
    return laidOut;
  QMargins margins = grid_->contentsMargins();
  return {rows_.front()->sizeHint().width() + margins.left() + margins.right(), laidOut.height()};
}

int KeyGrid::fittingColumns(int width) const {
  if (rows_.empty())
    return maxColumns;
  int rowWidth = rows_.front()->sizeHint().width();
  int fit = (width + columnGap) / std::max(1, rowWidth + columnGap);
  return std::clamp(fit, 1, maxColumns);
}

void KeyGrid::place() {
  for (KeyRow *row : rows_)
    grid_->removeWidget(row);
  int count = static_cast<int>(rows_.size());
  int perColumn = rowsPerColumn(count, columns_);
  for (int question = 0; question < count; ++question)
    grid_->addWidget(rows_[static_cast<size_t>(question)], question % perColumn,
                     question / perColumn);
  for (int column = 0; column < maxColumns; ++column)
    grid_->setColumnStretch(column, column < columns_ ? 1 : 0);
}

void KeyGrid::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  int columns = fittingColumns(event->size().width());
  if (columns != columns_) {
    columns_ = columns;
    place();
  }
}

} // namespace ovalon
