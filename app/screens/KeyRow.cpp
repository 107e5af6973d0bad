#include "screens/KeyRow.h"

#include "model/Choices.h"
#include "model/Exam.h"
#include "reports/PointsText.h"
#include "screens/BubbleButton.h"
#include "screens/Ui.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>

namespace ovalon {

namespace {

// "Option-click" on the Mac is a Ctrl-click here; Qt maps the Mac's Option to Alt.
bool addsAnotherAnswer(Qt::KeyboardModifiers modifiers) {
#ifdef Q_OS_MACOS
  return modifiers & Qt::AltModifier;
#else
  return modifiers & Qt::ControlModifier;
#endif
}

} // namespace

KeyRow::KeyRow(int question, QWidget *parent)
    : QWidget(parent), question_(question),
      number_(new QLabel(QString::number(question + 1), this)), state_(ui::note({}, this)) {
  setObjectName(QString("keyRow%1").arg(question + 1));
  number_->setMinimumWidth(number_->fontMetrics().horizontalAdvance("200") + 6);
  number_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  state_->setTextInteractionFlags(Qt::NoTextInteraction);
  state_->setWordWrap(false);

  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 1, 0, 1);
  layout->setSpacing(3);
  layout->addWidget(number_);
  layout->addSpacing(4);
  for (int choice = 0; choice < Exam::maxChoices; ++choice) {
    QString letter = QString::fromUtf8(Choices::letters[static_cast<size_t>(choice)].data(), 1);
    auto *button = new BubbleButton(letter, this);
    button->setAccessibleName(QString("Question %1, %2").arg(question + 1).arg(letter));
    connect(button, &QAbstractButton::clicked, this, [this, choice] { letterClicked(choice); });
    layout->addWidget(button);
    letters_.push_back(button);
  }
  layout->addWidget(state_);
  layout->addStretch();
}

void KeyRow::show(const QuestionKey &key, int choiceCount) {
  key_ = key;
  for (int choice = 0; choice < Exam::maxChoices; ++choice) {
    QAbstractButton *button = letters_[static_cast<size_t>(choice)];
    bool visible = choice < choiceCount;
    if (button->isVisibleTo(this) != visible)
      button->setVisible(visible);
    bool checked = key.correct.contains(choice);
    if (button->isChecked() != checked)
      button->setChecked(checked);
    if (button->isEnabled() == key.dropped)
      button->setEnabled(!key.dropped);
  }
  QStringList notes;
  if (key.dropped)
    notes << "dropped";
  if (key.points != 1)
    notes << QString("%1 pts").arg(ui::text(pointsText(key.points)));
  QString state = notes.join(" \u00b7 ");
  if (state_->text() != state)
    state_->setText(state);
}

void KeyRow::letterClicked(int choice) {
  QuestionKey key = key_;
  if (addsAnotherAnswer(QApplication::keyboardModifiers())) {
    if (!key.correct.erase(choice))
      key.correct.insert(choice);
  } else {
    key.correct = {choice};
  }
  // The button toggled itself; the model's answer decides what it shows.
  show(key_, static_cast<int>(std::ranges::count_if(
                 letters_, [this](QAbstractButton *b) { return b->isVisibleTo(this); })));
  emit keyChanged(question_, key);
}

void KeyRow::contextMenuEvent(QContextMenuEvent *event) {
  QMenu menu(this);
  QAction *points = menu.addAction("Points");
  QAction *drop = menu.addAction(key_.dropped ? "Count This Question Again" : "Drop This Question");
  QAction *clear = menu.addAction("Clear Answer");
  clear->setEnabled(!key_.correct.empty());
  QAction *chosen = menu.exec(event->globalPos());
  QuestionKey key = key_;
  if (chosen == points) {
    bool ok = false;
    double value = QInputDialog::getDouble(this, "Points",
                                           QString("Points for question %1:").arg(question_ + 1),
                                           key.points, 0, 100, 2, &ok);
    if (!ok)
      return;
    key.points = value;
  } else if (chosen == drop) {
    key.dropped = !key.dropped;
  } else if (chosen == clear) {
    key.correct.clear();
  } else {
    return;
  }
  emit keyChanged(question_, key);
}

} // namespace ovalon
