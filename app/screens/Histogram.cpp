#include "screens/Histogram.h"

#include "screens/Ui.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QLabel>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace ovalon {

Histogram::Histogram(QWidget *parent) : QWidget(parent) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ui::heading("Score distribution", this));

  auto *chart = new QChart;
  chart->legend()->hide();
  chart->setBackgroundVisible(false);
  chart->setMargins(QMargins(0, 0, 0, 0));
  bars_ = new QBarSet("Students");
  bars_->setColor(palette().color(QPalette::Highlight));
  auto *series = new QBarSeries;
  series->append(bars_);
  series->setBarWidth(0.9);
  chart->addSeries(series);
  QStringList bands;
  for (int band = 0; band < 10; ++band)
    bands << QString::number(band * 10);
  auto *x = new QBarCategoryAxis;
  x->append(bands);
  x->setTitleText("Score (%)");
  chart->addAxis(x, Qt::AlignBottom);
  series->attachAxis(x);
  auto *y = new QValueAxis;
  y->setLabelFormat("%d");
  chart->addAxis(y, Qt::AlignLeft);
  series->attachAxis(y);

  view_ = new QChartView(chart, this);
  view_->setObjectName("histogram");
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumHeight(200);
  layout->addWidget(view_);

  connect(bars_, &QBarSet::hovered, this, [this](bool over, int band) {
    if (over && band >= 0 && band < static_cast<int>(counts_.size()))
      QToolTip::showText(QCursor::pos(),
                         bandText(band) + ": " + barText(counts_[static_cast<size_t>(band)]),
                         view_);
    else
      QToolTip::hideText();
  });
  setCounts(std::vector<int>(10, 0));
}

QString Histogram::barText(int students) {
  return QString::number(students) + " students";
}

QString Histogram::bandText(int band) {
  return QString::number(band * 10) + " to " + QString::number(band == 9 ? 100 : band * 10 + 9) +
         " percent";
}

void Histogram::setCounts(const std::vector<int> &counts) {
  counts_ = counts;
  counts_.resize(10, 0);
  bars_->remove(0, bars_->count());
  int highest = 1;
  for (int count : counts_) {
    bars_->append(count);
    highest = std::max(highest, count);
  }
  auto axes = view_->chart()->axes(Qt::Vertical);
  if (!axes.isEmpty()) {
    auto *y = static_cast<QValueAxis *>(axes.front());
    // Whole students on the axis: a step that gives at most five intervals.
    int step = (highest + 4) / 5;
    int top = (highest + step - 1) / step * step;
    y->setRange(0, top);
    y->setTickCount(top / step + 1);
  }
  QStringList description;
  for (int band = 0; band < 10; ++band)
    description << bandText(band) + ": " + barText(counts_[static_cast<size_t>(band)]);
  view_->setAccessibleDescription(description.join("; "));
}

} // namespace ovalon
