#include "screens/OvalonCommands.h"

#include "model/AppModel.h"
#include "screens/MainWindow.h"
#include "screens/Shortcuts.h"
#include "screens/Ui.h"
#include "windowing/MenuBaseline.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

#ifndef OVALON_VERSION
#define OVALON_VERSION "unknown"
#endif

namespace ovalon {

OvalonCommands::OvalonCommands(AppModel &model, MainWindow &window)
    : QObject(&window), model_(model), window_(window) {
  addFileMenu();
  addEditMenu();
  addViewMenu();
  addReviewMenu();
  addHelpMenu();
  for (auto signal : {&AppModel::libraryChanged, &AppModel::selectionChanged,
                      &AppModel::progressChanged, &AppModel::tabChanged})
    connect(&model, signal, this, &OvalonCommands::refresh);
  connect(&model, &AppModel::documentChanged, this, &OvalonCommands::refresh);
  refresh();
}

void OvalonCommands::addFileMenu() {
  QMenu *file = window_.menuBar()->addMenu("&File");
  AppModel *m = &model_;
  MainWindow *w = &window_;
  auto hasTest = [m] { return m->selectedDocument() != nullptr; };
  auto idleWithTest = [m] { return m->selectedDocument() && !m->progress(); };
  auto hasSheets = [m] {
    const ExamDocument *doc = m->selectedDocument();
    return doc && !doc->sheets.empty();
  };
  auto sheetSelected = [m, idleWithTest] {
    const ExamDocument *doc = m->selectedDocument();
    auto sheet = m->selectedSheet();
    return idleWithTest() && sheet &&
           std::ranges::any_of(doc->sheets, [&](const ScannedSheet &s) { return s.id == *sheet; });
  };

  add(
      *file, "newTest", "New Test", shortcuts::newTest(), [w] { w->newTest(); }, {}, "plus.circle");
  add(
      *file, "duplicateTest", "Duplicate Test", shortcuts::duplicateTest(),
      [m] {
        if (auto id = m->selectedID())
          m->duplicateTest(*id);
      },
      hasTest, "doc.on.doc");
  file->addSeparator();
  add(
      *file, "gradeScans", "Grade Scans\u2026", shortcuts::gradeScans(), [m] { m->gradeScans(); },
      idleWithTest, "doc.viewfinder");
  add(
      *file, "importPhotos", "Import Photos\u2026", {}, [m] { m->importPhotos(); }, idleWithTest,
      "iphone");
  add(
      *file, "scanAnswerKey", "Scan Answer Key\u2026", shortcuts::scanAnswerKey(),
      [m] { m->scanAnswerKey(); }, idleWithTest, "key");
  add(
      *file, "rescanSheet", "Rescan Selected Sheet\u2026", {},
      [m] {
        if (auto sheet = m->selectedSheet())
          m->rescanSheet(*sheet);
      },
      sheetSelected);
  add(
      *file, "importRoster", "Import Roster\u2026", shortcuts::importRoster(),
      [m] { m->importRoster(); }, hasTest);
  file->addSeparator();
  add(
      *file, "saveSheetsPDF", "Save Sheets as PDF\u2026", shortcuts::saveSheetsPDF(),
      [m] { m->saveSheetsPDF(); }, hasTest, "square.and.arrow.down");
  add(
      *file, "exportAnswerKeys", "Save Answer Keys PDF\u2026", {}, [m] { m->exportAnswerKeys(); },
      hasTest);
  add(
      *file, "exportScores", "Export Gradebook CSV\u2026", shortcuts::exportScores(),
      [m] { m->exportScores(); }, hasSheets);
  add(
      *file, "exportSlips", "Export Result Slips PDF\u2026", shortcuts::exportSlips(),
      [this] { exportSlips(); }, hasSheets);
  add(
      *file, "exportReport", "Export Item Analysis PDF\u2026", shortcuts::exportReport(),
      [m] { m->exportReport(); }, hasSheets);
  file->addSeparator();
  add(
      *file, "printPreview", "Print Preview\u2026", {}, [w] { w->printPreview(); }, hasTest,
      "print.preview");
  add(
      *file, "print", "Print\u2026", shortcuts::print(), [m] { m->printSheets(); }, hasTest,
      "printer");
  file->addSeparator();
  MenuBaseline::addCloseWindow(*file, window_);
  QAction *quit =
      add(*file, "quit", "Quit", shortcuts::quit(), [] { QApplication::closeAllWindows(); });
  quit->setMenuRole(QAction::QuitRole);
}

void OvalonCommands::addEditMenu() {
  QMenu *edit = window_.menuBar()->addMenu("&Edit");
  AppModel *m = &model_;
  add(
      *edit, "deleteTest", "Delete Test\u2026", {},
      [m] {
        if (auto id = m->selectedID())
          m->askToDelete(*id);
      },
      [m] { return m->selectedDocument() && !m->progress(); }, "trash");
}

void OvalonCommands::addViewMenu() {
  QMenu *view = window_.menuBar()->addMenu("&View");
  AppModel *m = &model_;
  // The tabs exclude each other, so the menu shows them as one choice.
  tabs_ = new QActionGroup(this);
  tabs_->setExclusive(true);
  const char *titles[]{"Test", "Print", "Grade", "Review", "Results"};
  for (int number = 1; number <= 5; ++number) {
    auto tab = static_cast<AppModel::Tab>(number - 1);
    QAction *action = add(
        *view, QString("tab%1").arg(number), titles[number - 1], shortcuts::tab(number),
        [m, tab] { m->setTab(tab); }, [m] { return m->selectedDocument() != nullptr; });
    action->setCheckable(true);
    tabs_->addAction(action);
  }
}

void OvalonCommands::addReviewMenu() {
  QMenu *review = window_.menuBar()->addMenu("&Review");
  AppModel *m = &model_;
  auto hasItems = [m] { return !m->reviewItems().empty(); };
  add(
      *review, "nextItem", "Next Item", shortcuts::nextItem(), [m] { m->selectNextItem(); },
      hasItems);
  add(
      *review, "previousItem", "Previous Item", shortcuts::previousItem(),
      [m] { m->selectPreviousItem(); }, hasItems);
  add(
      *review, "nextOpenItem", "Next Open Item", shortcuts::nextOpenItem(),
      [m] { m->selectNextOpenItem(); }, [m] { return m->openItemCount() > 0; });
}

void OvalonCommands::addHelpMenu() {
  QMenu *help = window_.menuBar()->addMenu("&Help");
  AppModel *m = &model_;
  QAction *helpItem =
      MenuBaseline::addHelp(*help, {"Ovalon", shortcuts::help(), [m] { m->setShowHelp(true); }});
  helpItem->setIcon(ui::symbol("questionmark.circle"));
  commands_.push_back({helpItem, {}});
  help->addSeparator();
  auto idle = [m] { return !m->progress().has_value(); };
  add(
      *help, "trySampleClass", "Try the Sample Class", {}, [m] { m->trySampleClass(); }, idle,
      "graduationcap");
  add(
      *help, "saveSampleScan", "Save the Sample Scan as PDF\u2026", {},
      [m] { m->saveSampleScan(); }, idle);
  help->addSeparator();
  add(*help, "checkForUpdates", "Check for Updates\u2026", {},
      [this] { QMessageBox::information(&window_, "Check for Updates", updatesText()); });
}

QString OvalonCommands::updatesText() {
  return QString("Ovalon %1 is installed. Updates come with this system\u2019s package manager, "
                 "like the rest of your programs.")
      .arg(OVALON_VERSION);
}

QAction *OvalonCommands::add(QMenu &menu, const QString &name, const QString &title,
                             const QKeySequence &keys, std::function<void()> run,
                             std::function<bool()> enabled, const QString &symbol) {
  QAction *action = menu.addAction(title);
  action->setObjectName(name);
  if (!keys.isEmpty())
    action->setShortcut(keys);
  if (!symbol.isEmpty())
    action->setIcon(ui::symbol(symbol));
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
  auto current = static_cast<size_t>(model_.tab());
  QList<QAction *> tabs = tabs_->actions();
  if (current < static_cast<size_t>(tabs.size()) &&
      !tabs[static_cast<qsizetype>(current)]->isChecked())
    tabs[static_cast<qsizetype>(current)]->setChecked(true);
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
