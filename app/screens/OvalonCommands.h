#pragma once

#include <QObject>

#include <functional>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;

namespace ovalon {

class AppModel;

// The menu bar: every command with its shortcut, each calling the model. Commands
// that cannot apply right now are disabled, and stay in step with the model.
class OvalonCommands : public QObject {
  Q_OBJECT

public:
  OvalonCommands(AppModel &model, QMainWindow &window);

  // The action with this object name (e.g. "exportScores"), for tests and the window.
  QAction *action(const QString &name) const;

  // The text "Check for Updates…" shows: updates come from the package manager.
  static QString updatesText();

private:
  QAction *add(QMenu &menu, const QString &name, const QString &title, const QKeySequence &shortcut,
               std::function<void()> run, std::function<bool()> enabled = {});
  void refresh();
  void exportSlips();

  AppModel &model_;
  QMainWindow &window_;
  struct Command {
    QAction *action;
    std::function<bool()> enabled;
  };
  std::vector<Command> commands_;
};

} // namespace ovalon
