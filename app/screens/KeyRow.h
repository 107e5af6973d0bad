#pragma once

#include <QWidget>

#ifndef Q_MOC_RUN
#include "model/QuestionKey.h"
#endif

#include <vector>

class QLabel;
class QAbstractButton;

namespace ovalon {

// One question of the answer key: its number and a button per choice letter.
// A click sets the answer, a click with Ctrl (Option on the Mac) accepts another
// letter too, and a right-click offers points, dropping and clearing.
class KeyRow : public QWidget {
  Q_OBJECT

public:
  KeyRow(int question, QWidget *parent = nullptr);

  int question() const { return question_; }
  // Shows `key` with `choiceCount` letters; only what differs is touched.
  void show(const QuestionKey &key, int choiceCount);
  QAbstractButton *letterButton(int choice) const { return letters_[static_cast<size_t>(choice)]; }

signals:
  // The key the row's buttons and menu ask for.
  void keyChanged(int question, ovalon::QuestionKey key);

protected:
  void contextMenuEvent(QContextMenuEvent *event) override;

private:
  void letterClicked(int choice);

  int question_;
  QuestionKey key_;
  QLabel *number_;
  std::vector<QAbstractButton *> letters_;
  QLabel *state_;
};

} // namespace ovalon
