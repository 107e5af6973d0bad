#pragma once

#include <QWidget>

class QLabel;

namespace ovalon {

struct ExamDocument;

// One test in the sidebar: its title and a line of counts.
class TestRow : public QWidget {
  Q_OBJECT

public:
  explicit TestRow(QWidget *parent = nullptr);
  void show(const ExamDocument &document);

  // "20 questions · 2 versions · 26 graded · 3 to review", leaving out what is not there.
  static QString countsText(const ExamDocument &document);

private:
  QLabel *title_;
  QLabel *counts_;
};

} // namespace ovalon
