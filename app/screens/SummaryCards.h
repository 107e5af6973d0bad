#pragma once

#include <QWidget>

class QLabel;

namespace ovalon {

struct ExamSummary;

// The class's results at a glance: sheets, mean, high, low and reliability.
class SummaryCards : public QWidget {
  Q_OBJECT

public:
  explicit SummaryCards(QWidget *parent = nullptr);

  void setSummary(const ExamSummary &summary);

private:
  QLabel *card(const QString &title, const QString &name, const QString &help = {});

  QLabel *sheets_;
  QLabel *mean_;
  QLabel *high_;
  QLabel *low_;
  QLabel *reliability_;
};

} // namespace ovalon
