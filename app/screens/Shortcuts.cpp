#include "screens/Shortcuts.h"

namespace ovalon::shortcuts {

namespace {

// The desktop's binding for a standard command; some keyboard schemes have none.
QKeySequence standard(QKeySequence::StandardKey key, const QKeySequence &otherwise) {
  QKeySequence keys(key);
  return keys.isEmpty() ? otherwise : keys;
}

QKeySequence ctrl(Qt::Key key, Qt::KeyboardModifiers more = {}) {
  return QKeySequence(QKeyCombination(Qt::ControlModifier | more, key));
}

} // namespace

QKeySequence newTest() {
  return standard(QKeySequence::New, ctrl(Qt::Key_N));
}
QKeySequence duplicateTest() {
  return ctrl(Qt::Key_D);
}
QKeySequence gradeScans() {
  return ctrl(Qt::Key_G);
}
QKeySequence scanAnswerKey() {
  return ctrl(Qt::Key_K, Qt::ShiftModifier);
}
QKeySequence importRoster() {
  return ctrl(Qt::Key_R, Qt::ShiftModifier);
}
QKeySequence saveSheetsPDF() {
  return standard(QKeySequence::SaveAs, ctrl(Qt::Key_S, Qt::ShiftModifier));
}
QKeySequence exportScores() {
  return ctrl(Qt::Key_E);
}
QKeySequence exportSlips() {
  return ctrl(Qt::Key_E, Qt::AltModifier);
}
QKeySequence exportReport() {
  return ctrl(Qt::Key_E, Qt::ShiftModifier);
}
QKeySequence print() {
  return standard(QKeySequence::Print, ctrl(Qt::Key_P));
}
QKeySequence quit() {
  return standard(QKeySequence::Quit, ctrl(Qt::Key_Q));
}
QKeySequence help() {
  return standard(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1));
}
QKeySequence tab(int number) {
  return ctrl(Qt::Key(Qt::Key_0 + number));
}
QKeySequence nextItem() {
  return ctrl(Qt::Key_BracketRight);
}
QKeySequence previousItem() {
  return ctrl(Qt::Key_BracketLeft);
}
QKeySequence nextOpenItem() {
  return ctrl(Qt::Key_BracketRight, Qt::ShiftModifier);
}

QString text(const QKeySequence &keys) {
  return keys.toString(QKeySequence::NativeText);
}

QString hint(const QString &what, const QKeySequence &keys) {
  return what + " (" + text(keys) + ")";
}

} // namespace ovalon::shortcuts
