#include "screens/MainWindow.h"

#include "model/AppModel.h"
#include "screens/ContentView.h"
#include "screens/HelpView.h"
#include "screens/KeyCheckView.h"
#include "screens/OvalonCommands.h"
#include "screens/Settings.h"
#include "screens/SidebarView.h"
#include "screens/Ui.h"
#include "windowing/CloseGuard.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>

#include <algorithm>

namespace ovalon {

MainWindow::MainWindow(AppModel &model, QWidget *parent)
    : QMainWindow(parent), model_(model), panels_(*this), sidebar_(new SidebarView(model)),
      content_(new ContentView(model)), commands_(new OvalonCommands(model, *this)),
      guard_(new CloseGuard(*this, [this](QWidget &) { return shouldClose(); })) {
  setObjectName("main");
  setWindowTitle("Ovalon");
  resize(1280, 820);
  model.setPanels(&panels_);

  splitter_ = new QSplitter(this);
  splitter_->setObjectName("mainSplitter");
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(sidebar_);
  splitter_->addWidget(content_);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({250, 1030});
  sidebar_->setMinimumWidth(200);
  setCentralWidget(splitter_);
  settings::restoreGeometry(*this, "main");
  settings::rememberSplitter(*splitter_, "main");

  connect(sidebar_, &SidebarView::newTestRequested, this, &MainWindow::newTest);
  connect(content_, &ContentView::newTestRequested, this, &MainWindow::newTest);
  connect(content_, &ContentView::printPreviewRequested, this, &MainWindow::printPreview);

  connect(&model, &AppModel::messageChanged, this, &MainWindow::showAlert);
  connect(&model, &AppModel::dialogsChanged, this, &MainWindow::showDialogs);
  connect(&model, &AppModel::keyCheckChanged, this, &MainWindow::showKeyCheck);
  refresh();
}

MainWindow::~MainWindow() {
  // The choosers die with the window; the model must not ask them afterwards.
  model_.setPanels(nullptr);
}

QString MainWindow::closeWhileGradingText() {
  return "Ovalon is still reading scans. Stop grading and close the window?";
}

bool MainWindow::shouldClose() {
  if (!model_.isBusy())
    return true;
  QMessageBox ask(QMessageBox::Warning, "Ovalon", closeWhileGradingText(), QMessageBox::NoButton,
                  this);
  ask.setObjectName("closeWhileGrading");
  QPushButton *stop = ask.addButton("Stop and Close", QMessageBox::DestructiveRole);
  QPushButton *keep = ask.addButton("Keep Grading", QMessageBox::RejectRole);
  ask.setDefaultButton(keep);
  ask.exec();
  if (ask.clickedButton() != stop)
    return false;
  model_.cancelGrading();
  return true;
}

void MainWindow::closeEvent(QCloseEvent *event) {
  // Edits of the last half second are written before the window goes.
  model_.flushSaves();
  settings::saveGeometry(*this, "main");
  QMainWindow::closeEvent(event);
}

void MainWindow::newTest() {
  model_.newTest();
  content_->focusTitle();
}

void MainWindow::printPreview() {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return;
  panels_.preview(PrintJob{doc->exam, model_.printPages()});
}

void MainWindow::refresh() {
  showAlert();
  showDialogs();
  showKeyCheck();
}

void MainWindow::showKeyCheck() {
  if (model_.keyCheck() && !keyCheck_) {
    auto *check = new KeyCheckView(model_, this);
    check->setAttribute(Qt::WA_DeleteOnClose);
    check->setWindowModality(Qt::WindowModal);
    // Closed some other way (Escape, the title bar): the scanned key is set aside too.
    connect(check, &QDialog::finished, this, [this] {
      keyCheck_ = nullptr;
      if (model_.keyCheck())
        model_.cancelKeyCheck();
    });
    keyCheck_ = check;
    check->open();
  }
}

void MainWindow::showDialogs() {
  showDeleteConfirmation();
  if (model_.showHelp() && !help_) {
    auto *help = new HelpView(model_, this);
    help->setAttribute(Qt::WA_DeleteOnClose);
    help->setWindowModality(Qt::WindowModal);
    connect(help, &QDialog::finished, this, [this] { help_ = nullptr; });
    help_ = help;
    help->open();
  } else if (!model_.showHelp() && help_) {
    help_->close();
  }
}

void MainWindow::showAlert() {
  const auto &message = model_.message();
  if (!message) {
    if (alert_)
      alert_->close();
    alertID_.reset();
    return;
  }
  if (alert_ && alertID_ == message->id)
    return;
  if (!alert_) {
    auto *alert = new QMessageBox(this);
    alert->setObjectName("alert");
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->setIcon(QMessageBox::Information);
    QPushButton *ok = alert->addButton("OK", QMessageBox::AcceptRole);
    ok->setObjectName("alertOK");
    alert->setDefaultButton(ok);
    connect(alert, &QMessageBox::finished, this, [this] {
      // A closed alert is deleted later; the next message gets a new one.
      alert_ = nullptr;
      // Only the message this alert showed is cleared; a newer one gets its own alert.
      if (model_.message() && model_.message()->id == alertID_)
        model_.clearMessage();
    });
    alert_ = alert;
  }
  alertID_ = message->id;
  alert_->setWindowTitle(ui::text(message->title));
  alert_->setText(ui::text(message->title));
  alert_->setInformativeText(ui::text(message->detail));
  alert_->open();
}

void MainWindow::showDeleteConfirmation() {
  const auto &doomed = model_.testToDelete();
  if (!doomed) {
    if (deleteConfirmation_)
      deleteConfirmation_->close();
    return;
  }
  if (deleteConfirmation_)
    return;
  auto *confirm = new QMessageBox(this);
  confirm->setObjectName("deleteConfirmation");
  confirm->setAttribute(Qt::WA_DeleteOnClose);
  confirm->setWindowModality(Qt::WindowModal);
  confirm->setIcon(QMessageBox::Warning);
  QString title = "Delete \u201c" + ui::text(doomed->exam.title) + "\u201d?";
  confirm->setWindowTitle(title);
  confirm->setText(title);
  size_t graded = doomed->sheets.size();
  confirm->setInformativeText(graded == 0
                                  ? QString("The test and its roster are removed.")
                                  : QString("Its %1 graded sheets and scans are removed too. This "
                                            "can\u2019t be undone.")
                                        .arg(graded));
  QPushButton *remove = confirm->addButton("Delete", QMessageBox::DestructiveRole);
  remove->setObjectName("confirmDelete");
  QPushButton *cancel = confirm->addButton("Cancel", QMessageBox::RejectRole);
  confirm->setDefaultButton(cancel);
  connect(confirm, &QMessageBox::finished, this, [this, confirm, remove] {
    deleteConfirmation_ = nullptr;
    if (!model_.testToDelete())
      return;
    if (confirm->clickedButton() == remove)
      model_.confirmDelete();
    else
      model_.cancelDelete();
  });
  deleteConfirmation_ = confirm;
  confirm->open();
}

void MainWindow::offerToGrade(const QStringList &files) {
  std::vector<std::filesystem::path> scans;
  const auto &allowed = AppModel::droppableExtensions();
  for (const QString &file : files) {
    std::string extension = ui::utf8(QFileInfo(file).suffix().toLower());
    if (std::ranges::find(allowed, extension) != allowed.end())
      scans.emplace_back(ui::utf8(file));
  }
  if (scans.empty())
    return;
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc) {
    model_.showMessage("The scans weren\u2019t graded",
                       "Make a test or choose one in the sidebar first, then open the scans "
                       "again.");
    return;
  }
  QString what = scans.size() == 1
                     ? "\u201c" + QFileInfo(ui::text(scans.front().string())).fileName() + "\u201d"
                     : QString("these %1 files").arg(scans.size());
  auto *ask = new QMessageBox(this);
  ask->setObjectName("offerToGrade");
  ask->setAttribute(Qt::WA_DeleteOnClose);
  ask->setWindowModality(Qt::WindowModal);
  ask->setIcon(QMessageBox::Question);
  ask->setWindowTitle("Grade Scans");
  ask->setText("Grade " + what + " against \u201c" + ui::text(doc->exam.title) + "\u201d?");
  QPushButton *grade = ask->addButton("Grade", QMessageBox::AcceptRole);
  grade->setObjectName("gradeOpenedFiles");
  ask->addButton("Cancel", QMessageBox::RejectRole);
  ask->setDefaultButton(grade);
  Uuid examID = doc->exam.id;
  connect(ask, &QMessageBox::finished, this, [this, ask, grade, scans, examID] {
    // The question named one test; the scans go to that test even if the sidebar moved.
    if (ask->clickedButton() != grade || !model_.document(examID))
      return;
    model_.select(examID);
    model_.gradeDroppedFiles(scans);
  });
  ask->open();
}

} // namespace ovalon
