#include "screens/FillBars.h"

#include "model/Choices.h"
#include "scanning/MarkThresholds.h"
#include "screens/Ui.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace ovalon {

FillBars::FillBars(QWidget *parent) : QWidget(parent) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  grid_ = new QGridLayout;
  grid_->setColumnStretch(1, 1);
  layout->addLayout(grid_);
  none_ = ui::note("None look filled.", this);
  none_->setObjectName("noneFilled");
  layout->addWidget(none_);
}

QString FillBars::fillText(double fill) {
  int percent = static_cast<int>(std::lround(std::clamp(fill, 0.0, 1.0) * 100));
  return QString::number(percent) + "% filled";
}

void FillBars::setFills(const std::vector<double> &fills) {
  while (QLayoutItem *item = grid_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  const double faint = MarkThresholds{}.faint;
  for (size_t slot = 0; slot < fills.size(); ++slot) {
    int row = static_cast<int>(slot);
    auto *letter = new QLabel(ui::text(Choices::letter(row)), this);
    auto *bar = new QProgressBar(this);
    bar->setRange(0, 100);
    bar->setValue(static_cast<int>(std::lround(std::clamp(fills[slot], 0.0, 1.0) * 100)));
    bar->setTextVisible(false);
    bar->setAccessibleName(ui::text(Choices::letter(row)) + ", " + fillText(fills[slot]));
    bar->setMaximumHeight(12);
    auto *text = new QLabel(fillText(fills[slot]), this);
    text->setObjectName("fill" + ui::text(Choices::letter(row)));
    grid_->addWidget(letter, row, 0);
    grid_->addWidget(bar, row, 1);
    grid_->addWidget(text, row, 2);
  }
  none_->setVisible(std::ranges::all_of(fills, [&](double fill) { return fill < faint; }));
}

} // namespace ovalon
