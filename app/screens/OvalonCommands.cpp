#include "screens/OvalonCommands.h"

#include "model/AppModel.h"
#include "windowing/MenuBaseline.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

#ifndef OVALON_VERSION
#define OVALON_VERSION "unknown"
#endif

namespace ovalon {

namespace {

QKeySequence ctrl(int key, Qt::KeyboardModifiers more = {}) {
  return QKeySequence(QKeyCombination(Qt::ControlModifier | more, Qt::Key(key)));
}

} // namespace

OvalonCommands::OvalonCommands(AppModel &model, QMainWindow &window)
    : QObject(&window), model_(model), window_(window) {
  QMenuBar *bar = window.menuBar();
  AppModel *m = &model;
  auto hasTest = [m] { return m->selectedDocument() != nullptr; };
  auto idle = [m] { return !m->progress().has_value(); };
  auto idleWithTest = [m] { return m->selectedDocument() && !m->progress(); };
  auto hasSheets = [m] {
    const ExamDocument *doc = m->selectedDocument();
    return doc && !doc->sheets.empty();
  };

  QMenu *file = bar->addMenu("&File");
  add(*file, "newTest", "New Test", ctrl(Qt::Key_N), [m] { m->newTest(); });
  add(
      *file, "duplicateTest", "Duplicate Test", ctrl(Qt::Key_D),
      [m] {
        if (auto id = m->selectedID())
          m->duplicateTest(*id);
      },
      hasTest);
  file->addSeparator();
  add(
      *file, "gradeScans", "Grade Scans\u2026", ctrl(Qt::Key_G), [m] { m->gradeScans(); },
      idleWithTest);
  add(
      *file, "importPhotos", "Import Photos\u2026", {}, [m] { m->importPhotos(); }, idleWithTest);
  add(
      *file, "scanAnswerKey", "Scan Answer Key\u2026", ctrl(Qt::Key_K, Qt::ShiftModifier),
      [m] { m->scanAnswerKey(); }, idleWithTest);
  add(
      *file, "rescanSheet", "Rescan Selected Sheet\u2026", {},
      [m] {
        if (auto sheet = m->selectedSheet())
          m->rescanSheet(*sheet);
      },
      [m, idleWithTest] {
        const ExamDocument *doc = m->selectedDocument();
        auto sheet = m->selectedSheet();
        if (!idleWithTest() || !sheet)
          return false;
        return std::ranges::any_of(doc->sheets,
                                   [&](const ScannedSheet &s) { return s.id == *sheet; });
      });
  add(
      *file, "importRoster", "Import Roster\u2026", ctrl(Qt::Key_R, Qt::ShiftModifier),
      [m] { m->importRoster(); }, hasTest);
  file->addSeparator();
  add(
      *file, "saveSheetsPDF", "Save Sheets as PDF\u2026", ctrl(Qt::Key_S, Qt::ShiftModifier),
      [m] { m->saveSheetsPDF(); }, hasTest);
  add(
      *file, "exportAnswerKeys", "Save Answer Keys PDF\u2026", {}, [m] { m->exportAnswerKeys(); },
      hasTest);
  add(
      *file, "exportScores", "Export Gradebook CSV\u2026", ctrl(Qt::Key_E),
      [m] { m->exportScores(); }, hasSheets);
  add(
      *file, "exportSlips", "Export Result Slips PDF\u2026", ctrl(Qt::Key_E, Qt::AltModifier),
      [this] { exportSlips(); }, hasSheets);
  add(
      *file, "exportReport", "Export Item Analysis PDF\u2026", ctrl(Qt::Key_E, Qt::ShiftModifier),
      [m] { m->exportReport(); }, hasSheets);
  file->addSeparator();
  add(
      *file, "print", "Print\u2026", ctrl(Qt::Key_P), [m] { m->printSheets(); }, hasTest);
  file->addSeparator();
  MenuBaseline::addCloseWindow(*file, window);
  add(*file, "quit", "Quit", ctrl(Qt::Key_Q), [] { QApplication::closeAllWindows(); });

  QMenu *view = bar->addMenu("&View");
  const std::pair<AppModel::Tab, const char *> tabs[]{{AppModel::Tab::builder, "Test"},
                                                      {AppModel::Tab::sheets, "Print"},
                                                      {AppModel::Tab::grading, "Grade"},
                                                      {AppModel::Tab::review, "Review"},
                                                      {AppModel::Tab::report, "Results"}};
  int number = 0;
  for (auto [tab, title] : tabs) {
    ++number;
    add(
        *view, QString("tab%1").arg(number), title, ctrl(Qt::Key_0 + number),
        [m, tab] { m->setTab(tab); }, hasTest)
        ->setCheckable(true);
  }

  QMenu *review = bar->addMenu("&Review");
  auto hasItems = [m] { return !m->reviewItems().empty(); };
  add(
      *review, "nextItem", "Next Item", ctrl(Qt::Key_BracketRight), [m] { m->selectNextItem(); },
      hasItems);
  add(
      *review, "previousItem", "Previous Item", ctrl(Qt::Key_BracketLeft),
      [m] { m->selectPreviousItem(); }, hasItems);
  add(
      *review, "nextOpenItem", "Next Open Item", ctrl(Qt::Key_BracketRight, Qt::ShiftModifier),
      [m] { m->selectNextOpenItem(); }, [m] { return m->openItemCount() > 0; });

  QMenu *help = bar->addMenu("&Help");
  QAction *helpItem = MenuBaseline::addHelp(
      *help, {"Ovalon", QKeySequence(QKeySequence::HelpContents), [m] { m->setShowHelp(true); }});
  if (helpItem->shortcut().isEmpty())
    helpItem->setShortcut(QKeySequence(Qt::Key_F1));
  commands_.push_back({helpItem, {}});
  help->addSeparator();
  add(
      *help, "trySampleClass", "Try the Sample Class", {}, [m] { m->trySampleClass(); }, idle);
  add(
      *help, "saveSampleScan", "Save the Sample Scan as PDF\u2026", {},
      [m] { m->saveSampleScan(); }, idle);
  help->addSeparator();
  add(*help, "checkForUpdates", "Check for Updates\u2026", {},
      [this] { QMessageBox::information(&window_, "Check for Updates", updatesText()); });

  connect(&model, &AppModel::changed, this, &OvalonCommands::refresh);
  refresh();
}

QString OvalonCommands::updatesText() {
  return QString("Ovalon %1 is installed. Updates come with this system\u2019s package manager, "
                 "like the rest of your programs.")
      .arg(OVALON_VERSION);
}

QAction *OvalonCommands::add(QMenu &menu, const QString &name, const QString &title,
                             const QKeySequence &shortcut, std::function<void()> run,
                             std::function<bool()> enabled) {
  QAction *action = menu.addAction(title);
  action->setObjectName(name);
  if (!shortcut.isEmpty())
    action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
  commands_.push_back({action, std::move(enabled)});
  return action;
}

QAction *OvalonCommands::action(const QString &name) const {
  for (const Command &command : commands_)
    if (command.action->objectName() == name)
      return command.action;
  return window_.findChild<QAction *>(name);
}

void OvalonCommands::refresh() {
  for (const Command &command : commands_)
    if (command.enabled)
      command.action->setEnabled(command.enabled());
  int current = static_cast<int>(model_.tab()) + 1;
  for (int number = 1; number <= 5; ++number)
    if (QAction *tab = action(QString("tab%1").arg(number)))
      tab->setChecked(number == current);
}

void OvalonCommands::exportSlips() {
  QMessageBox ask(QMessageBox::Question, "Export Result Slips",
                  "How should the slips sit on the page?", QMessageBox::Cancel, &window_);
  ask.setInformativeText("A slip for each student: score and the questions they missed, with "
                         "the right answers");
  QPushButton *one = ask.addButton("One per Page\u2026", QMessageBox::AcceptRole);
  QPushButton *four = ask.addButton("Four per Page (to Cut Apart)\u2026", QMessageBox::AcceptRole);
  ask.setDefaultButton(one);
  ask.exec();
  if (ask.clickedButton() == one)
    model_.exportSlips(SlipLayout::onePerPage);
  else if (ask.clickedButton() == four)
    model_.exportSlips(SlipLayout::fourPerPage);
}

} // namespace ovalon
