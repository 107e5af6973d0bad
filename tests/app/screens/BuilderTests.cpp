#include "ScreenHelpers.h"
#include "ShellTestWindow.h"

#include "screens/KeyRow.h"
#include "screens/VersionEdit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;

const Exam &exam(const ShellTestWindow &shell) {
  return shell.model->selectedDocument()->exam;
}

KeyRow *keyRow(const ShellTestWindow &shell, int question) {
  return shell.window->findChild<KeyRow *>(QString("keyRow%1").arg(question + 1));
}

TEST(Builder, fillKeyAndTheLetterButtonsSetTheKey) {
  ShellTestWindow shell;
  shell.model->newTest();
  auto *progress = shell.find<QLabel>("keyProgress");
  EXPECT_EQ(progress->text(), "20 to go");

  QTest::keyClicks(shell.find<QLineEdit>("keyText"), "abdc a");
  shell.click("fillKey");
  std::vector<std::set<int>> typed;
  for (int q = 0; q < 6; ++q)
    typed.push_back(exam(shell).key[static_cast<size_t>(q)].correct);
  EXPECT_EQ(typed, (std::vector<std::set<int>>{{0}, {1}, {3}, {2}, {0}, {}}));
  EXPECT_EQ(progress->text(), "15 to go");
  EXPECT_TRUE(keyRow(shell, 2)->letterButton(3)->isChecked());

  // A click sets the one answer; a Ctrl-click accepts another letter too, or takes it back.
  KeyRow *sixth = keyRow(shell, 5);
  QTest::mouseClick(sixth->letterButton(2), Qt::LeftButton);
  EXPECT_EQ(exam(shell).key[5].correct, std::set<int>{2});
  QTest::mouseClick(sixth->letterButton(0), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(exam(shell).key[5].correct, (std::set<int>{0, 2}));
  EXPECT_TRUE(sixth->letterButton(0)->isChecked() && sixth->letterButton(2)->isChecked());
  QTest::mouseClick(sixth->letterButton(2), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(exam(shell).key[5].correct, std::set<int>{0});
  QTest::mouseClick(sixth->letterButton(1), Qt::LeftButton);
  EXPECT_EQ(exam(shell).key[5].correct, std::set<int>{1});
  EXPECT_FALSE(sixth->letterButton(0)->isChecked());
}

TEST(Builder, theLayoutFieldsAreEditsOfTheTestAndTheKeyRowsFollowTheCount) {
  ShellTestWindow shell;
  shell.model->newTest();
  auto *questions = shell.find<QSpinBox>("questions");
  questions->setValue(150);
  EXPECT_EQ(exam(shell).questionCount, 150);
  EXPECT_TRUE(keyRow(shell, 149));
  EXPECT_FALSE(keyRow(shell, 150));

  shell.find<QSpinBox>("choices")->setValue(3);
  EXPECT_EQ(exam(shell).choiceCount, 3);
  EXPECT_FALSE(keyRow(shell, 0)->letterButton(3)->isVisibleTo(keyRow(shell, 0)));
  questions->setValue(12);
  EXPECT_FALSE(keyRow(shell, 12));

  shell.find<QSpinBox>("idDigits")->setValue(4);
  shell.model->update([](ExamDocument &d) {
    d.roster.students = {{"12345678", "Ann", "Lee"}, {"7", "Bo", "Ng"}};
  });
  auto *warning = shell.find<QLabel>("idWarning");
  EXPECT_TRUE(warning->isVisible());
  EXPECT_EQ(warning->text(), "The roster has 8-digit IDs");
  // The roster is a table sorted by last name; clearing it asks first.
  auto *roster = shell.find<QTableView>("rosterTable");
  EXPECT_EQ(cells(roster, 0).mid(0, 2), (QStringList{"12345678", "Lee"}));
  shell.panels.confirmAnswers = {true};
  shell.click("clearRoster");
  EXPECT_TRUE(shell.model->selectedDocument()->roster.students.empty());
  EXPECT_FALSE(warning->isVisible() || roster->isVisible());

  auto *paper = shell.find<QComboBox>("paper");
  paper->setCurrentIndex(1);
  emit paper->activated(1);
  EXPECT_EQ(exam(shell).paper, Paper::a4);

  QTest::keyClicks(shell.find<QLineEdit>("title"), " 2");
  EXPECT_EQ(exam(shell).title, "Untitled Test 2");
}

TEST(Builder, aTypedVersionOrderIsCheckedBeforeItIsUsed) {
  ShellTestWindow shell;
  shell.model->newTest();
  shell.model->update([](ExamDocument &d) { d.exam.setQuestionCount(4); });
  auto *versions = shell.find<QComboBox>("versionCount");
  versions->setCurrentIndex(1);
  emit versions->activated(1);
  ASSERT_EQ(exam(shell).versions.size(), 2u);

  shell.click("ownOrder");
  auto *edit = shell.find<VersionEdit>("versionEdit");
  ASSERT_TRUE(edit->isVisible());
  auto *order = shell.find<QLineEdit>("orderText");
  std::vector<int> shuffled = exam(shell).versions[1].order;
  order->setText("4, 1, 1 2");
  shell.click("useOrder");
  EXPECT_EQ(edit->orderError(),
            QString::fromStdString(ExamError::notAPermutation(4).description()));
  EXPECT_EQ(exam(shell).versions[1].order, shuffled);

  order->setText("4, 1 2,3");
  shell.click("useOrder");
  EXPECT_EQ(exam(shell).versions[1].order, (std::vector<int>{3, 0, 1, 2}));
  EXPECT_FALSE(edit->isVisible());
}

} // namespace
} // namespace ovalon
