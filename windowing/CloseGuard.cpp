#include "windowing/CloseGuard.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QThread>
#include <QWidget>

namespace ovalon {

CloseGuard::CloseGuard(QWidget &main, ShouldClose shouldClose)
    : QObject(&main), shouldClose_(std::move(shouldClose)), main_(&main) {
  main.installEventFilter(this);
}

bool CloseGuard::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::Close)
    return false;
  // The answer may look at interface state, which lives on this thread only.
  Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
  auto *window = qobject_cast<QWidget *>(watched);
  if (!window)
    window = main_;
  if (!window || !shouldClose_)
    return false;
  if (shouldClose_(*window))
    return false;
  event->ignore();
  return true;
}

} // namespace ovalon
