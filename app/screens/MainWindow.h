#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#ifndef Q_MOC_RUN
#include "model/Uuid.h"
#include "screens/QtPanels.h"

#include <optional>
#endif

class QDialog;
class QMessageBox;
class QSplitter;

namespace ovalon {

class AppModel;
class CloseGuard;
class ContentView;
class OvalonCommands;
class SidebarView;

// The one window: the sidebar of tests beside the main area, the menus, and the
// alerts and dialogs the model asks for (messages, the delete confirmation, the
// key check and help).
class MainWindow : public QMainWindow {
  Q_OBJECT

public:
  explicit MainWindow(AppModel &model, QWidget *parent = nullptr);
  ~MainWindow() override;

  // Files the app was opened with: asks to grade the scans among them against the
  // selected test, or says that a test has to be made or chosen first.
  void offerToGrade(const QStringList &files);

  // Asked before the window closes; a grading run is stopped only with the teacher's yes.
  bool shouldClose();

  // "New Test": makes the test and puts the cursor in its title.
  void newTest();
  // The selected test's sheets as they will print, as the print settings ask for them.
  void printPreview();

  OvalonCommands &commands() const { return *commands_; }
  ContentView &content() const { return *content_; }
  SidebarView &sidebar() const { return *sidebar_; }

  // The question asked before closing during a run.
  static QString closeWhileGradingText();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void refresh();
  void showAlert();
  void showDialogs();
  void showKeyCheck();
  void showDeleteConfirmation();

  AppModel &model_;
  QtPanels panels_;
  SidebarView *sidebar_;
  ContentView *content_;
  OvalonCommands *commands_;
  CloseGuard *guard_;
  QPointer<QMessageBox> alert_;
  std::optional<Uuid> alertID_;
  QPointer<QMessageBox> deleteConfirmation_;
  QPointer<QDialog> keyCheck_;
  QPointer<QDialog> help_;
  QSplitter *splitter_;
};

} // namespace ovalon
