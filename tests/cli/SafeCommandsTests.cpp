#include "library/ExamLibrary.h"
#include "support/ClassScans.h"
#include "support/CliProcess.h"
#include "support/CliRunner.h"
#include "support/GradedClassTest.h"
#include "support/ScannedPdf.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <tuple>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

namespace ovalon {
namespace {

namespace fs = std::filesystem;
using namespace testing;

constexpr const char *title = "Unit test";

// Students 1 to 3 graded (one blank row each); a few more scans at hand.
class SafeCommands : public testing::GradedClassTest {
protected:
  static void SetUpTestSuite() {
    prepare({1, 2, 3}, {{"student2.pdf", {2}}, {"unlisted.pdf", {13}}});
    testing::writeBytes(*scans / "blank.pdf",
                        testing::scannedPdf({GrayImage::blank(850, 1100, 250)}, {612, 792},
                                            testing::ScanDepth::gray));
  }

  CliResult run(const std::vector<std::string> &arguments) const {
    return runCli(library.path(), arguments);
  }
  nlohmann::json review() const {
    return nlohmann::json::parse(run({"review", title, "--json", "--open"}).out);
  }
};

TEST_F(SafeCommands, itemsAreNamedAndASettledItemChangesOnlyWhenReopenedOrForced) {
  nlohmann::json items = review();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1]["name"], "S2:Q2");
  ASSERT_EQ(run({"resolve", title, "S2:Q2=B"}).status, 0);

  // Another scan brings an unread page to the top: every number shifts by one,
  // and 3, meant for S3:Q3, now points at the settled S2:Q2.
  ASSERT_EQ(run({"grade", title, scan("blank.pdf"), scan("unlisted.pdf")}).status, 0);
  ExamDocument before = stored();
  CliResult stale = run({"resolve", title, "3=C"});
  EXPECT_EQ(stale.status, 1);
  EXPECT_EQ(stale.err, "Item 3 is already settled (Set to B). Reopen it first (3=reopen), or "
                       "add --force.\n");
  EXPECT_EQ(stored(), before) << "nothing was written";

  EXPECT_EQ(run({"resolve", title, "S2:Q2=reopen", "S2:Q2=C"}).status, 0);
  EXPECT_EQ(run({"resolve", title, "--force", "S2:Q2=D"}).status, 0);
  EXPECT_NE(run({"review", title}).out.find("S2:Q2 [settled: Set to D]"), std::string::npos);
  EXPECT_EQ(run({"resolve", title, "S9:Q9=A"}).status, 2);
}

TEST_F(SafeCommands, aStudentPickedForASecondSheetRaisesAnItemThatBlocksExport) {
  ASSERT_EQ(run({"grade", title, scan("unlisted.pdf")}).status, 0);
  ASSERT_EQ(
      run({"resolve", title, "S1:Q1=A", "S2:Q2=B", "S3:Q3=C", "S4:Q13=D", "S4:id=student:1001"})
          .status,
      0);
  nlohmann::json open = review();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0]["name"], "S4:id/2");
  EXPECT_EQ(open[0]["note"], "ID 1001 is also on sheet 1.");
  CliResult blocked = run({"export", title, "--csv", (library / "grades.csv").string()});
  EXPECT_EQ(blocked.status, 1);
  EXPECT_FALSE(fs::exists(library / "grades.csv"));

  ASSERT_EQ(run({"resolve", title, "S4:id/2=student:1004"}).status, 0);
  EXPECT_TRUE(review().empty());
  EXPECT_EQ(run({"export", title, "--csv", (library / "grades.csv").string()}).status, 0);
}

TEST_F(SafeCommands, aRescanReplacesOneSheetAndRefusesAnotherStudentUnlessSaidSo) {
  ASSERT_EQ(run({"resolve", title, "S2:Q2=B"}).status, 0);
  const ExamDocument before = stored();
  const auto pictures = testing::pictureFolder(library.path(), id);
  std::ofstream(library / "notes.txt") << "not a scan";
  const std::string unreplaced = "The sheet wasn\u2019t replaced\n";
  for (const auto &[sheet, file, status, err] :
       std::vector<std::tuple<std::string, std::string, int, std::string>>{
           {"7", scan("student2.pdf"), 2, "\u201CUnit test\u201D has no sheet 7.\n"},
           {"2", scan("class.pdf"), 1,
            unreplaced + "The scan has 3 students\u2019 sheets. Rescan Sheet replaces one: scan "
                         "just this student\u2019s sheet.\n"},
           {"2", (library / "notes.txt").string(), 1,
            unreplaced + "notes.txt isn\u2019t a PDF or an image Ovalon can open.\n"},
           {"1", scan("student2.pdf"), 1,
            "The new scan reads Student B (1002), but sheet 1 is Student A (1001)\u2019s. Nothing "
            "was replaced; to replace it anyway, add --different-student.\n"}}) {
    CliResult refused = run({"rescan", title, sheet, file});
    EXPECT_EQ(refused.status, status) << file;
    EXPECT_EQ(refused.err, err);
  }
  EXPECT_EQ(stored(), before);
  EXPECT_EQ(testing::pictureFolder(library.path(), id), pictures);

  // The same student again: the blank row reads the same, so its decision stays.
  CliResult same = run({"rescan", title, "2", scan("student2.pdf")});
  ASSERT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "Sheet 2 replaced\nThe score went from 100% to 100%. The rest of the class "
                      "wasn\u2019t regraded.\n1 review answer was kept, where the new scan reads "
                      "the same.\n");
  const ExamDocument after = stored();
  EXPECT_TRUE(after.sheets[1].rescanned);
  EXPECT_EQ(after.sheets[1].source, "student2.pdf");
  EXPECT_NE(after.sheets[1].pageImages, before.sheets[1].pageImages);
  EXPECT_EQ(after.sheets[1].flags.at(0).resolution, Resolution::choice(1));
  EXPECT_EQ(after.sheets[0], before.sheets[0]);

  ASSERT_EQ(run({"rescan", title, "1", scan("student2.pdf"), "--different-student"}).status, 0);
  auto prompt = [&] {
    for (const auto &item : review())
      if (item["note"].get<std::string>().starts_with("This scan reads ID 1002"))
        return true;
    return false;
  };
  EXPECT_TRUE(prompt());
  // Anything that refreshes the class's ID flags leaves the prompt where it is.
  ASSERT_EQ(run({"exclude", title, "2"}).status, 0);
  ASSERT_EQ(run({"exclude", title, "2", "--include"}).status, 0);
  EXPECT_TRUE(prompt());
  expectNoStrayPictures();
}

TEST_F(SafeCommands, aScanIsGradedOnceUnlessAskedAgain) {
  CliResult twice = run({"grade", title, scan("class.pdf")});
  EXPECT_EQ(twice.status, 0) << twice.err;
  EXPECT_EQ(twice.out, "These pages are already graded\n3 pages were already graded in this test, "
                       "so they were left out.\nTo grade them again, add --again.\n");
  EXPECT_EQ(stored().sheets.size(), 3u);
  EXPECT_EQ(run({"grade", title, scan("class.pdf"), "--again"}).status, 0);
  EXPECT_EQ(stored().sheets.size(), 6u);
  expectNoStrayPictures();
}

TEST_F(SafeCommands, aGradedTestRefusesChangesThatWouldLoseGrades) {
  const ExamDocument before = stored();
  const std::string fixed = "Sheets have been graded with this layout, so it\u2019s fixed now. "
                            "Duplicate the test to change it.\n";
  using Case = std::tuple<std::vector<std::string>, int, std::string>; // err empty: any
  for (const auto &[args, status, err] : std::vector<Case>{
           {{"versions", title, "--count", "2"}, 1, fixed},
           {{"versions", title, "--reshuffle"}, 1, fixed},
           {{"versions", title, "--shuffle-choices", "on"}, 1, fixed},
           {{"delete", title},
            2,
            "\u201CUnit test\u201D has 3 graded sheets; add --yes to delete it with them.\n"},
           {{"remove-sheet", title, "2", "7"}, 2, ""}, // sheet 7 isn't there
           {{"remove-sheet", title, "3-1"}, 2, ""}}) {
    CliResult refused = run(args);
    EXPECT_EQ(refused.status, status) << args[0];
    EXPECT_TRUE(err.empty() || refused.err == err) << refused.err;
  }
  EXPECT_EQ(run({"versions", title}).status, 0) << "looking is fine";
  EXPECT_EQ(stored(), before);

  ASSERT_EQ(run({"grade", title, scan("unlisted.pdf")}).status, 0);
  EXPECT_EQ(run({"remove-sheet", title, "1", "3-4"}).out, "3 sheets removed.\n");
  ASSERT_EQ(stored().sheets.size(), 1u);
  EXPECT_EQ(stored().sheets[0].number, 2);
  expectNoStrayPictures();
}

TEST_F(SafeCommands, aGradedTestIsDeletedOnlyWhenEveryStepCanBeDone) {
  for (auto it = fs::recursive_directory_iterator(library.path());
       it != fs::recursive_directory_iterator(); ++it)
    fs::permissions(it->path(), fs::perms::all);
  fs::permissions(library.path(), fs::perms::all);
  fs::permissions(library / "Tests", fs::perms(0555)); // read-only to nobody, who deletes
  CliResult failed =
      CliProcess(library.path(), {"delete", title, "--yes"}, nullptr, {}, 65534).wait();
  fs::permissions(library / "Tests", fs::perms::all);
  EXPECT_EQ(failed.status, 1);
  EXPECT_TRUE(failed.err.starts_with("The test couldn\u2019t be deleted: ")) << failed.err;
  EXPECT_EQ(stored().sheets.size(), 3u);
  expectNoStrayPictures();

  EXPECT_EQ(run({"delete", title, "--yes"}).status, 0);
  EXPECT_FALSE(fs::exists(library / "Images" / id.text()));
  EXPECT_TRUE(ExamLibrary{library.path()}.list().tests.empty());
}

// A grade killed midway, and one whose pictures can't be written (a full
// disk), leave no picture behind once the test is next changed.
TEST_F(SafeCommands, aGradeThatDiesOrFailsLeavesNoPictureBehind) {
  {
    testing::PausePoint pause("OVALON_PAUSE_BEFORE_SAVE");
    CliProcess grade(library.path(), {"grade", title, scan("unlisted.pdf")}, &pause);
    ASSERT_TRUE(pause.awaitHeld()) << "its pictures are written by now";
    EXPECT_NE(testing::pictureFolder(library.path(), id), testing::picturesOf(stored()));
  } // killed
  ASSERT_EQ(run({"key", title, "--question", "1", "--points", "2"}).status, 0);
  expectNoStrayPictures();

  signal(SIGXFSZ, SIG_IGN);
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit small{4096, before.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  CliProcess full(library.path(), {"grade", title, scan("unlisted.pdf")});
  setrlimit(RLIMIT_FSIZE, &before);
  signal(SIGXFSZ, SIG_DFL);
  CliResult failed = full.wait();
  EXPECT_EQ(failed.status, 1);
  EXPECT_TRUE(failed.err.starts_with("The page pictures couldn\u2019t be stored.")) << failed.err;
  EXPECT_EQ(stored().sheets.size(), 3u);
  expectNoStrayPictures();
}

} // namespace
} // namespace ovalon
