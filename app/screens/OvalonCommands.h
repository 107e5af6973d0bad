#pragma once

#include <QObject>

#include <functional>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;

namespace ovalon {

class AppModel;
class MainWindow;

// The menu bar: every command with its keys, each calling the model. Commands that
// cannot apply right now are disabled, and stay in step with the model.
class OvalonCommands : public QObject {
  Q_OBJECT

public:
  OvalonCommands(AppModel &model, MainWindow &window);

  // The action with this object name (e.g. "exportScores"), for tests and the window.
  QAction *action(const QString &name) const;

  // The text "Check for Updates…" shows: updates come from the package manager.
  static QString updatesText();

private:
  QAction *add(QMenu &menu, const QString &name, const QString &title, const QKeySequence &keys,
               std::function<void()> run, std::function<bool()> enabled = {},
               const QString &symbol = {});
  void addFileMenu();
  void addEditMenu();
  void addViewMenu();
  void addReviewMenu();
  void addHelpMenu();
  void refresh();
  void exportSlips();

  AppModel &model_;
  MainWindow &window_;
  QActionGroup *tabs_ = nullptr;
  struct Command {
    QAction *action;
    std::function<bool()> enabled;
  };
  std::vector<Command> commands_;
};

} // namespace ovalon
