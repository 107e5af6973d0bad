#include "ScreenHelpers.h"
#include "ShellTestWindow.h"

#include "library/FileIO.h"
#include "screens/ContentView.h"
#include "screens/OvalonCommands.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;

// Clicks the button with this text in the first modal box that opens from now on.
void answerNextBox(const QString &button) {
  QTimer::singleShot(0, [button] {
    QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
    for (QAbstractButton *b : QApplication::activeModalWidget()->findChildren<QAbstractButton *>())
      if (b->text() == button) {
        b->click();
        return;
      }
    ADD_FAILURE() << "no button " << button.toStdString();
  });
}

TEST(Shell, anEmptyLibraryWelcomesAndNewTestOpensItsTestTab) {
  ShellTestWindow shell;
  QWidget *empty = shell.find<QWidget>("emptyLibrary");
  ASSERT_TRUE(empty && empty->isVisible());
  EXPECT_FALSE(shell.window->commands().action("duplicateTest")->isEnabled());
  EXPECT_FALSE(shell.window->commands().action("print")->isEnabled());

  shell.click("emptyNewTest");
  ASSERT_EQ(shell.model->documents().size(), 1u);
  EXPECT_FALSE(empty->isVisible());
  QTabBar *tabs = shell.window->content().tabBar();
  EXPECT_TRUE(tabs->isVisible());
  EXPECT_EQ(tabs->currentIndex(), 0);
  // The cursor waits in the title, ready to type over "Untitled Test".
  auto *title = shell.find<QLineEdit>("title");
  EXPECT_EQ(QApplication::focusWidget(), title);
  EXPECT_EQ(title->selectedText(), "Untitled Test");
  EXPECT_TRUE(shell.window->commands().action("duplicateTest")->isEnabled());
  auto *list = shell.find<QListView>("testList");
  ASSERT_EQ(list->model()->rowCount(), 1);
  // Ctrl+D duplicates the selected test, which the sidebar then lists first and highlights.
  shell.press(Qt::Key_D);
  EXPECT_EQ(list->currentIndex().data().toString(), "Untitled Test (Copy)");
}

TEST(Shell, aRunShowsTheBannerWithItsCountAndCancelStopsIt) {
  ShellTestWindow shell;
  shell.click("trySampleClass");
  ASSERT_TRUE(shell.model->progress());
  auto *banner = shell.find<QWidget>("progressBanner");
  ASSERT_TRUE(banner);
  EXPECT_TRUE(banner->isVisible());
  EXPECT_EQ(shell.find<QLabel>("progressTitle")->text(),
            QString::fromStdString(shell.model->progress()->title));
  EXPECT_EQ(shell.model->tab(), AppModel::Tab::grading);
  // Nothing else may start while the run holds the banner.
  EXPECT_FALSE(shell.window->commands().action("gradeScans")->isEnabled());
  EXPECT_FALSE(shell.window->commands().action("trySampleClass")->isEnabled());
  EXPECT_FALSE(shell.find<QWidget>("gradeScansButton")->isEnabled());

  shell.model->setProgress(AppModel::Progress{"Reading \u201cscan.pdf\u201d\u2026", 3, 12});
  EXPECT_EQ(shell.find<QLabel>("progressCount")->text(), "3 of 12 pages");
  EXPECT_EQ(banner->findChild<QProgressBar *>()->value(), 3);

  shell.click("cancelGrading");
  ASSERT_TRUE(waitUntilIdle(*shell.model));
  EXPECT_FALSE(shell.model->progress());
  EXPECT_FALSE(banner->isVisible());
  EXPECT_TRUE(shell.find<QWidget>("gradeScansButton")->isEnabled());
}

TEST(Shell, shortcutsSwitchTabsAndTheReviewTabCountsOpenItems) {
  ShellTestWindow shell(copyGradedSampleLibrary);
  QTabBar *tabs = shell.window->content().tabBar();
  const AppModel::Tab order[]{AppModel::Tab::builder, AppModel::Tab::sheets, AppModel::Tab::grading,
                              AppModel::Tab::review, AppModel::Tab::report};
  for (int number : {3, 5, 2, 4, 1}) {
    shell.press(Qt::Key_0 + number);
    EXPECT_EQ(shell.model->tab(), order[number - 1]) << number;
    EXPECT_EQ(tabs->currentIndex(), number - 1);
  }
  tabs->setCurrentIndex(4);
  EXPECT_EQ(shell.model->tab(), AppModel::Tab::report);

  int open = shell.model->openItemCount();
  ASSERT_GT(open, 0);
  EXPECT_EQ(tabs->tabText(3), QString("Review (%1)").arg(open));
  // Leaving a flagged sheet out settles its flags, and the title follows.
  const ExamDocument &doc = *shell.model->selectedDocument();
  auto flagged = std::ranges::find_if(doc.sheets, [](const ScannedSheet &s) {
    return std::ranges::any_of(s.flags, [](const ReviewFlag &f) { return !f.resolution; });
  });
  ASSERT_NE(flagged, doc.sheets.end());
  shell.model->setExcluded(flagged->id, true);
  int fewer = shell.model->openItemCount();
  EXPECT_LT(fewer, open);
  EXPECT_EQ(tabs->tabText(3), fewer > 0 ? QString("Review (%1)").arg(fewer) : "Review");

  // Ctrl+] and Ctrl+Shift+] walk the review list.
  shell.press(Qt::Key_BracketRight);
  ASSERT_TRUE(shell.model->reviewSelection());
  EXPECT_EQ(*shell.model->reviewSelection(), shell.model->reviewItems().front());
  shell.press(Qt::Key_BracketRight, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_TRUE(shell.model->reviewSelection());
  EXPECT_TRUE(shell.model->isOpen(*shell.model->reviewSelection()));
}

TEST(Shell, deletingAsksFirstWithTheTestsTitle) {
  ShellTestWindow shell;
  shell.model->newTest();
  Uuid id = shell.model->documents().front().exam.id;
  shell.window->commands().action("deleteTest")->trigger();
  QMessageBox *confirm = shell.box("deleteConfirmation");
  ASSERT_TRUE(confirm);
  EXPECT_EQ(confirm->text(), "Delete \u201cUntitled Test\u201d?");
  QTest::mouseClick(confirm->defaultButton(), Qt::LeftButton); // Cancel, the safe default
  EXPECT_FALSE(shell.model->testToDelete());
  EXPECT_EQ(shell.model->documents().size(), 1u);

  shell.model->askToDelete(id);
  confirm = shell.box("deleteConfirmation");
  ASSERT_TRUE(confirm);
  QTest::mouseClick(confirm->findChild<QAbstractButton *>("confirmDelete"), Qt::LeftButton);
  EXPECT_TRUE(shell.model->documents().empty());
  EXPECT_TRUE(shell.find<QWidget>("emptyLibrary")->isVisible());
}

// Closing writes an edit made within the half second; during a run it asks first and
// stops the run only on yes.
TEST(Shell, closingWritesPendingEditsAndAsksBeforeStoppingARun) {
  ShellTestWindow shell;
  shell.model->newTest();
  Uuid id = shell.model->documents().front().exam.id;
  shell.model->update([](ExamDocument &d) { d.exam.title = "Unit 4"; });
  ASSERT_TRUE(shell.model->hasPendingSave(id));
  EXPECT_TRUE(shell.window->close());
  EXPECT_EQ(storedDocument(shell.model->library(), id)->exam.title, "Unit 4");

  shell.window->show();
  shell.model->trySampleClass();
  ASSERT_TRUE(shell.model->isBusy());
  answerNextBox("Keep Grading");
  EXPECT_FALSE(shell.window->close());
  EXPECT_TRUE(shell.window->isVisible());
  EXPECT_TRUE(shell.model->isBusy());
  answerNextBox("Stop and Close");
  EXPECT_TRUE(shell.window->close());
  EXPECT_FALSE(shell.window->isVisible());
  EXPECT_TRUE(waitUntilIdle(*shell.model));
}

TEST(Shell, theSidebarNamesFilesThatCantBeOpenedWithTheirReason) {
  ShellTestWindow shell([](const std::filesystem::path &library) {
    ASSERT_TRUE(ExamLibrary{library}.create(quizDocument()));
    std::string half = R"({"exam":{"title":"Unit)";
    ASSERT_TRUE(FileIO::writeAtomically(library / "Tests" / "unit 2.json",
                                        Bytes(half.begin(), half.end())));
  });
  auto *tests = shell.window->findChild<QListView *>("testList");
  auto *unreadable = shell.window->findChild<QListWidget *>("unreadableList");
  ASSERT_TRUE(tests && unreadable);
  EXPECT_EQ(tests->model()->rowCount(), 1) << "an unreadable file is not a test to open";
  ASSERT_TRUE(unreadable->isVisible());
  ASSERT_EQ(unreadable->count(), 1);
  const std::string reason = shell.model->unreadableDocuments().at(0).reason;
  EXPECT_EQ(unreadable->item(0)->text(), "unit 2.json\n" + QString::fromStdString(reason));

  std::filesystem::remove(shell.model->library().testsFolder() / "unit 2.json");
  shell.model->reloadLibrary();
  EXPECT_FALSE(unreadable->isVisible());
}

TEST(Shell, menuCommandsCallTheModelAndPrintingReachesThePanels) {
  ShellTestWindow shell;
  shell.model->newTest();
  shell.model->setPrintCopies(2);
  OvalonCommands &commands = shell.window->commands();
  EXPECT_FALSE(commands.action("exportScores")->isEnabled()); // nothing graded yet
  EXPECT_FALSE(commands.action("rescanSheet")->isEnabled());

  shell.press(Qt::Key_P);
  ASSERT_EQ(shell.panels.printed.size(), 1u);
  EXPECT_EQ(shell.panels.printed[0].pages, shell.model->printPages());

  shell.press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(shell.panels.savesAsked.size(), 1u);
  EXPECT_EQ(shell.panels.savesAsked[0], *shell.model->sheetsPanel());

  shell.press(Qt::Key_F1, Qt::NoModifier);
  EXPECT_TRUE(shell.model->showHelp());
  QWidget *help = shell.find<QWidget>("helpView");
  ASSERT_TRUE(help);
  QTRY_VERIFY(help->isVisible());
  QTest::mouseClick(help->findChild<QAbstractButton *>("helpDone"), Qt::LeftButton);
  EXPECT_FALSE(shell.model->showHelp());
}

TEST(Shell, openingTheAppWithAScanOffersToGradeItAgainstTheSelectedTestIfThereIsOne) {
  ShellTestWindow shell([](const std::filesystem::path &library) {
    ASSERT_TRUE(ExamLibrary{library}.save(quizDocument()));
  });
  const ExamDocument &quiz = *shell.model->selectedDocument();
  std::filesystem::path scan = shell.dir / "scan.pdf";
  writeScan(scan, quiz.exam, {filledSheet({0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, "1001")});
  shell.window->offerToGrade({QString::fromStdString(scan.string())});
  QMessageBox *ask = shell.box("offerToGrade");
  ASSERT_TRUE(ask);
  QTest::mouseClick(ask->findChild<QAbstractButton *>("gradeOpenedFiles"), Qt::LeftButton);
  ASSERT_TRUE(waitUntilIdle(*shell.model));
  EXPECT_EQ(shell.model->selectedDocument()->sheets.size(), 1u);
}

TEST(Shell, aScannedKeyIsCheckedInAWindowModalDialogThatGoesWithIt) {
  ShellTestWindow shell([](const std::filesystem::path &library) {
    ASSERT_TRUE(ExamLibrary{library}.save(quizDocument()));
  });
  const Exam &exam = shell.model->selectedDocument()->exam;
  std::filesystem::path scan = shell.dir / "key.pdf";
  writeScan(scan, exam, {keySheet(exam, {3, 2, 1, 0, 3, 2, 1, 0, 3, 2})});
  shell.panels.openAnswers.push_back({scan});
  shell.press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(shell.panels.opensAsked.size(), 1u);
  ASSERT_TRUE(waitUntilIdle(*shell.model));
  ASSERT_TRUE(shell.model->keyCheck());

  auto visibleDialogs = [&shell] {
    QApplication::processEvents();
    std::vector<QDialog *> shown;
    for (QDialog *dialog : shell.window->findChildren<QDialog *>())
      if (dialog->isVisible() && !qobject_cast<QMessageBox *>(dialog))
        shown.push_back(dialog);
    return shown;
  };
  auto dialogs = visibleDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0]->windowModality(), Qt::WindowModal);
  // Closed without a decision (Escape): the scanned key is set aside, the typed one stays.
  const std::vector<QuestionKey> typed = exam.key;
  dialogs[0]->reject();
  EXPECT_FALSE(shell.model->keyCheck());
  EXPECT_EQ(shell.model->selectedDocument()->exam.key, typed);
  EXPECT_TRUE(visibleDialogs().empty());
}

} // namespace
} // namespace ovalon
