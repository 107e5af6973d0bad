#include "screens/Histogram.h"

#include "screens/Tone.h"
#include "screens/Ui.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QEvent>
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
  // Room above the top tick and beside the axis, so no label is clipped.
  chart->setMargins(QMargins(4, 10, 8, 4));
  bars_ = new QBarSet("Students");
  auto *series = new QBarSeries;
  series->append(bars_);
  series->setBarWidth(0.9);
  chart->addSeries(series);
  QStringList bands;
  for (int band = 0; band < 10; ++band)
    bands << QString::number(band * 10);
  x_ = new QBarCategoryAxis;
  x_->append(bands);
  x_->setTitleText("Score (%)");
  chart->addAxis(x_, Qt::AlignBottom);
  series->attachAxis(x_);
  y_ = new QValueAxis;
  y_->setLabelFormat("%d");
  y_->setTitleText("Students");
  chart->addAxis(y_, Qt::AlignLeft);
  series->attachAxis(y_);

  view_ = new QChartView(chart, this);
  view_->setObjectName("histogram");
  view_->setAccessibleName("Score distribution");
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumHeight(220);
  view_->setBackgroundRole(QPalette::Window);
  layout->addWidget(view_);

  connect(bars_, &QBarSet::hovered, this, [this](bool over, int band) {
    if (over && band >= 0 && band < static_cast<int>(counts_.size()))
      QToolTip::showText(QCursor::pos(),
                         bandText(band) + ": " + barText(counts_[static_cast<size_t>(band)]),
                         view_);
    else
      QToolTip::hideText();
  });
  applyPalette();
  setCounts(std::vector<int>(10, 0));
}

void Histogram::applyPalette() {
  const QPalette &colours = palette();
  QColor text = colours.color(QPalette::WindowText);
  QColor window = colours.color(QPalette::Window);
  bars_->setColor(colours.color(QPalette::Highlight));
  bars_->setBorderColor(colours.color(QPalette::Highlight));
  for (QAbstractAxis *axis : std::initializer_list<QAbstractAxis *>{x_, y_}) {
    axis->setLabelsBrush(text);
    axis->setTitleBrush(text);
    axis->setLinePenColor(ui::mix(text, window, 0.5));
    // A quiet grid: enough to read the bars against, never brighter than the text.
    axis->setGridLineColor(ui::mix(text, window, 0.82));
  }
  x_->setGridLineVisible(false);
  view_->chart()->setTitleBrush(text);
  view_->chart()->setPlotAreaBackgroundVisible(false);
}

void Histogram::changeEvent(QEvent *event) {
  if (event->type() == QEvent::PaletteChange)
    applyPalette();
  QWidget::changeEvent(event);
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
  // Whole students on the axis: a step that gives at most five intervals.
  int step = (highest + 4) / 5;
  int top = (highest + step - 1) / step * step;
  y_->setRange(0, top);
  y_->setTickCount(top / step + 1);
  QStringList description;
  for (int band = 0; band < 10; ++band)
    description << bandText(band) + ": " + barText(counts_[static_cast<size_t>(band)]);
  view_->setAccessibleDescription(description.join("; "));
}

} // namespace ovalon
