#include "windowing/MenuBaseline.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QWidget>

namespace ovalon {

QAction *MenuBaseline::addCloseWindow(QMenu &file, QWidget &window) {
  QAction *close = file.addAction(QCoreApplication::translate("MenuBaseline", "Close Window"));
  close->setObjectName("closeWindow");
  // Ctrl+W as everywhere, and whatever else the desktop binds to closing a window.
  QList<QKeySequence> keys{QKeySequence(Qt::CTRL | Qt::Key_W)};
  for (const QKeySequence &more : QKeySequence::keyBindings(QKeySequence::Close))
    if (!keys.contains(more))
      keys << more;
  close->setShortcuts(keys);
  QPointer<QWidget> target(&window);
  QObject::connect(close, &QAction::triggered, &window, [target] {
    if (target)
      target->window()->close();
  });
  return close;
}

QAction *MenuBaseline::addHelp(QMenu &help, const MenuHelp &item) {
  QAction *action = help.addAction(item.appName + " Help");
  action->setObjectName("appHelp");
  if (item.shortcut)
    action->setShortcut(*item.shortcut);
  QObject::connect(action, &QAction::triggered, &help, [run = item.action] {
    if (run)
      run();
  });
  return action;
}

} // namespace ovalon
