#pragma once

#include <QWidget>

class QLabel;

namespace ovalon {

struct ExamSummary;

// "By version": each version's mean, to see whether the versions were equally hard.
class VersionMeans : public QWidget {
  Q_OBJECT

public:
  explicit VersionMeans(QWidget *parent = nullptr);

  void setSummary(const ExamSummary &summary);

private:
  QLabel *lines_;
};

} // namespace ovalon
