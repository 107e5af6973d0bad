#pragma once

#include <QWidget>

#include <vector>

class QChartView;
class QBarSet;

namespace ovalon {

// "Score distribution": how many students scored in each ten-percent band.
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

private:
  QChartView *view_;
  QBarSet *bars_;
  std::vector<int> counts_;
};

} // namespace ovalon
