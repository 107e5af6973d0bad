// Races are lined up on the commands' pause point, never on sleeps.

#include "library/ExamLibrary.h"
#include "support/ClassScans.h"
#include "support/CliProcess.h"
#include "support/CliRunner.h"
#include "support/GradedClassTest.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace ovalon {
namespace {

namespace fs = std::filesystem;
using namespace testing;

constexpr const char *title = "Unit test";
constexpr const char *beforeSave = "OVALON_PAUSE_BEFORE_SAVE";
const std::vector<std::pair<std::string, std::string>> patient{{"OVALON_LOCK_WAIT", "120"}};

// Seven students graded (one open item each); three more scans wait to be graded.
class ConcurrentCommands : public testing::GradedClassTest {
protected:
  static void SetUpTestSuite() {
    prepare({1, 2, 3, 4, 5, 6, 7}, {{"late.pdf", {8, 9}}, {"later.pdf", {10, 11}}});
  }

  CliProcess start(const std::vector<std::string> &arguments, PausePoint *pause = nullptr,
                   const std::vector<std::pair<std::string, std::string>> &environment = patient) {
    return CliProcess(library.path(), arguments, pause, environment);
  }
};

TEST_F(ConcurrentCommands, changesMadeDuringAGradeAreKept) {
  std::ofstream roster(library / "roster.csv");
  roster << "Student ID,Last Name,First Name\n";
  for (int n = 1001; n <= 1012; ++n)
    roster << n << "," << (n == 1008 ? "Pike" : "Student") << ",Jordan\n";
  roster.close();
  PausePoint pause(beforeSave);
  CliProcess grade = start({"grade", title, scan("late.pdf")}, &pause);
  ASSERT_TRUE(pause.awaitHeld());
  for (const std::vector<std::string> &change : std::vector<std::vector<std::string>>{
           {"resolve", title, "1=A", "2=B", "3=C", "4=D", "5=A", "6=B", "7=C"},
           {"remove-sheet", title, "3"},
           {"key", title, "--question", "1", "--answers", "D", "--points", "5"},
           {"roster", title, (library / "roster.csv").string()}}) {
    CliResult changed = runCli(library.path(), change);
    ASSERT_EQ(changed.status, 0) << change[0] << ": " << changed.err;
  }
  pause.release();
  ASSERT_EQ(grade.wait().status, 0);

  ExamDocument doc = stored();
  EXPECT_EQ(doc.sheets.size(), 8u);
  EXPECT_EQ(std::ranges::count(doc.sheets, 3, &ScannedSheet::number), 0);
  EXPECT_EQ(doc.openItemCount(), 2) << "only the two new sheets' items are open";
  EXPECT_EQ(doc.exam.key[0].correct, std::set<int>{3});
  EXPECT_EQ(doc.exam.key[0].points, 5);
  ASSERT_EQ(doc.roster.students.size(), 12u);
  EXPECT_EQ(doc.roster.student("1008")->lastName, "Pike");
  expectNoStrayPictures();
}

TEST_F(ConcurrentCommands, sevenDecisionsSavedAtOnceAreAllKept) {
  PausePoint pause(beforeSave);
  std::vector<CliProcess> resolves;
  for (int item = 1; item <= 7; ++item)
    resolves.push_back(start({"resolve", title, std::to_string(item) + "=blank"}, &pause));
  // All seven have made their decision before any of them saves.
  for (int i = 0; i < 7; ++i)
    ASSERT_TRUE(pause.awaitHeld());
  for (int i = 0; i < 7; ++i)
    pause.release();
  for (CliProcess &resolve : resolves) {
    CliResult result = resolve.wait();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Saved 1 decision.\n");
  }
  EXPECT_EQ(stored().openItemCount(), 0);
}

TEST_F(ConcurrentCommands, twoGradesAtOnceKeepBothScansSheetsAndPictures) {
  PausePoint pause(beforeSave);
  CliProcess first = start({"grade", title, scan("late.pdf")}, &pause);
  CliProcess second = start({"grade", title, scan("later.pdf")}, &pause);
  ASSERT_TRUE(pause.awaitHeld());
  ASSERT_TRUE(pause.awaitHeld());
  pause.release();
  pause.release();
  EXPECT_EQ(first.wait().status, 0);
  EXPECT_EQ(second.wait().status, 0);

  ExamDocument doc = stored();
  std::set<int> numbers;
  std::set<std::string> ids;
  for (const ScannedSheet &sheet : doc.sheets) {
    numbers.insert(sheet.number);
    ids.insert(sheet.readID);
  }
  EXPECT_EQ(numbers.size(), 11u) << "every sheet has a number of its own";
  EXPECT_EQ(ids, (std::set<std::string>{"1001", "1002", "1003", "1004", "1005", "1006", "1007",
                                        "1008", "1009", "1010", "1011"}));
  expectNoStrayPictures();
}

TEST_F(ConcurrentCommands, aTestDeletedDuringAGradeStaysDeleted) {
  TempDir fresh;
  ASSERT_TRUE(ExamLibrary{fresh.path()}.save(testing::smallClass()));
  PausePoint pause(beforeSave);
  CliProcess grade(fresh.path(), {"grade", title, scan("late.pdf")}, &pause, patient);
  ASSERT_TRUE(pause.awaitHeld());
  CliResult deleted = runCli(fresh.path(), {"delete", title});
  ASSERT_EQ(deleted.status, 0) << deleted.err;
  pause.release();
  CliResult graded = grade.wait();

  EXPECT_EQ(graded.status, 1) << "the grade can't save into a test that is gone";
  EXPECT_FALSE(fs::exists(fresh / "Tests" / (id.text() + ".json")));
  EXPECT_FALSE(fs::exists(fresh / "Images" / id.text()));
}

TEST_F(ConcurrentCommands, aChangeThatCannotWaitSaysWhichCommandHoldsTheTest) {
  PausePoint pause("OVALON_PAUSE_WITH_LOCK");
  CliProcess grade = start({"grade", title, scan("late.pdf")}, &pause);
  ASSERT_TRUE(pause.awaitHeld());
  CliProcess key = start({"key", title, "--question", "2", "--answers", "A"}, nullptr,
                         {{"OVALON_LOCK_WAIT", "0.2"}});
  CliResult refused = key.wait();
  const pid_t holder = grade.pid();
  pause.release();
  ASSERT_EQ(grade.wait().status, 0);

  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("grade"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("process " + std::to_string(holder)), std::string::npos)
      << refused.err;
  EXPECT_EQ(stored().exam.key[1].correct, std::set<int>{1}) << "the refused change wasn't saved";
  EXPECT_EQ(stored().sheets.size(), 9u);
}

} // namespace
} // namespace ovalon
