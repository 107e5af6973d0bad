#pragma once

#include <QKeySequence>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace ovalon {

// The menu items every window of the app has: "Close Window" in the File menu and
// the application's help item in the Help menu.
struct MenuBaseline {
  struct MenuHelp {
    QString appName;
    std::optional<QKeySequence> shortcut;
    std::function<void()> action;
  };

  // Adds "Close Window" (Ctrl+W and the desktop's other Close keys) to `file`, closing `window` the
  // way its close button does, so the window's close guard is asked.
  static QAction *addCloseWindow(QMenu &file, QWidget &window);
  // Adds appName + " Help" to `help`.
  static QAction *addHelp(QMenu &help, const MenuHelp &item);
};

} // namespace ovalon
