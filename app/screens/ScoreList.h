#pragma once

#include <QWidget>

class QTreeWidget;

namespace ovalon {

struct ExamDocument;

// "Scores": every sheet that counts, with its student and score.
class ScoreList : public QWidget {
  Q_OBJECT

public:
  explicit ScoreList(QWidget *parent = nullptr);

  void setDocument(const ExamDocument &document);

private:
  QTreeWidget *table_;
};

} // namespace ovalon
