#pragma once

#include <QWidget>

#include <vector>

class QBarCategoryAxis;
class QBarSet;
class QChartView;
class QValueAxis;

namespace ovalon {

// "Score distribution": how many students scored in each ten-percent band, drawn in
// the window's own colours so it reads in light and dark themes.
class Histogram : public QWidget {
  Q_OBJECT

public:
  explicit Histogram(QWidget *parent = nullptr);

  // Ten counts, lowest band first; 100 % falls in the last.
  void setCounts(const std::vector<int> &counts);
  const std::vector<int> &counts() const { return counts_; }

  // "3 students" for a band's bar.
  static QString barText(int students);
  // "40 to 49 percent", "90 to 100 percent".
  static QString bandText(int band);

protected:
  void changeEvent(QEvent *event) override;

private:
  void applyPalette();

  QChartView *view_;
  QBarSet *bars_;
  QBarCategoryAxis *x_;
  QValueAxis *y_;
  std::vector<int> counts_;
};

} // namespace ovalon
