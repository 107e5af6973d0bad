#include "AppTestScans.h"
#include "ScreenHelpers.h"
#include "ShellTestWindow.h"

#include "library/FileIO.h"
#include "screens/OvalonCommands.h"
#include "screens/ReviewList.h"

#include <QAbstractSpinBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Keys go where a person's keyboard sends them: the widget with focus, else the window.
void type(const ShellTestWindow &shell, int key, Qt::KeyboardModifiers modifiers = {}) {
  QWidget *target = QApplication::focusWidget();
  QTest::keyClick(target ? target : shell.window.get(), Qt::Key(key), modifiers);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A teacher's first run, in the real window: the sample class from an empty library,
// graded; every doubtful mark settled from the keyboard; final results ready to export.
TEST(WholeFlow, theSampleClassGoesFromAnEmptyLibraryToFinalResultsByKeyboard) {
  ShellTestWindow shell;
  AppModel &model = *shell.model;
  ASSERT_TRUE(shell.find<QWidget>("emptyLibrary")->isVisible());
  shell.click("trySampleClass");
  ASSERT_TRUE(model.progress());
  ASSERT_TRUE(waitUntilIdle(model));
  QMessageBox *graded = shell.box("alert");
  ASSERT_TRUE(graded);
  EXPECT_EQ(graded->text(), "Graded 26 sheets");
  QTest::keyClick(graded, Qt::Key_Return);
  EXPECT_FALSE(model.message());
  // The offscreen platform has no window manager to hand activation back.
  QApplication::setActiveWindow(shell.window.get());

  // Grading fixed the layout.
  shell.press(Qt::Key_1);
  EXPECT_TRUE(shell.find<QWidget>("layoutLock")->isVisible());
  EXPECT_FALSE(shell.find<QAbstractSpinBox>("questions")->isEnabled());

  // A stray document dropped on the Grade tab starts nothing.
  shell.press(Qt::Key_3);
  fs::path letter = shell.dir / "Letter to parents.docx";
  ASSERT_TRUE(FileIO::writeAtomically(letter, std::string_view("PK\x03\x04")));
  auto [entered, dropped] = dragAndDrop(shell.find<QWidget>("dropArea"), letter);
  EXPECT_FALSE(entered || dropped);
  EXPECT_FALSE(model.progress());

  shell.press(Qt::Key_4);
  EXPECT_EQ(model.tab(), AppModel::Tab::review);
  shell.press(Qt::Key_BracketRight, Qt::ControlModifier | Qt::ShiftModifier);
  const int open = model.openItemCount();
  ASSERT_GT(open, 3);
  // Ctrl+letter belongs to the menus, not to the review.
  type(shell, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(model.openItemCount(), open);
  bool choseByLetter = false;
  for (int step = 0; step < 3 * open && model.openItemCount() > 0; ++step) {
    // The list passes the review's keys on while it has focus, letters included.
    if (step == 1)
      shell.find<ReviewList>("reviewList")->setFocus();
    ASSERT_TRUE(model.reviewSelection());
    const Review::Item item = *model.reviewSelection();
    const auto &target = std::get<Review::Item::Flag>(item.target);
    auto flag = [&] {
      const ScannedSheet &sheet =
          *std::ranges::find(model.selectedDocument()->sheets, target.sheet, &ScannedSheet::id);
      return *std::ranges::find(sheet.flags, target.flag, &ReviewFlag::id);
    };
    const ReviewFlag before = flag();
    const int left = model.openItemCount();
    if (before.kind == FlagKind::blank) {
      type(shell, Qt::Key_Delete);
      EXPECT_EQ(flag().resolution, Resolution::blank());
    } else if (!choseByLetter &&
               (before.kind == FlagKind::double_ || before.kind == FlagKind::faint)) {
      QTest::keyClick(QApplication::focusWidget(), 'c'); // lower case picks the letter too
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      EXPECT_EQ(flag().resolution, Resolution::choice(2));
      choseByLetter = true;
    } else {
      type(shell, Qt::Key_Return);
      EXPECT_EQ(flag().resolution, before.kind == FlagKind::studentID
                                       ? Resolution::accept()
                                       : Resolution::choice(*before.suggestion));
    }
    EXPECT_LT(model.openItemCount(), left) << "a key should settle the item shown";
  }
  EXPECT_EQ(model.openItemCount(), 0);
  EXPECT_TRUE(choseByLetter);

  shell.press(Qt::Key_5);
  EXPECT_EQ(shell.find<QLabel>("resultsStatus")->text(),
            "Every mark is settled. Scores are final.");
  EXPECT_FALSE(shell.find<QWidget>("provisional")->isVisible());
  for (const char *button : {"exportScores", "exportSlips", "exportReport"})
    EXPECT_TRUE(shell.find<QPushButton>(button)->isEnabled()) << button;
  shell.panels.saveAnswers = {shell.dir / "scores.csv"};
  shell.press(Qt::Key_E);
  EXPECT_TRUE(fs::exists(shell.dir / "scores.csv"));
}

} // namespace
} // namespace ovalon
