#include "AppTestScans.h"

#include "model/AppModel.h"
#include "support/ClassScans.h"
#include "support/CliProcess.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

constexpr const char *title = "Unit test";

TEST(AppBesideCli, whatTheCommandLineSavesShowsInTheAppAndSurvivesItsNextEdit) {
  setenv("OVALON_CLI", OVALON_CLI_BUILT, 0); // ctest sets it; a direct run uses the one built
  TempDir library, scans;
  const ExamDocument seven = smallClass();
  const Uuid id = seven.exam.id;
  ASSERT_TRUE(ExamLibrary{library.path()}.create(seven));
  writeClassScan(scans / "class.pdf", seven.exam, {1, 2, 3, 4, 5, 6, 7});
  auto cli = [&](const std::vector<std::string> &arguments) {
    CliResult result = runCli(library.path(), arguments);
    EXPECT_EQ(result.status, 0) << result.err;
  };
  auto stored = [&] { return *storedDocument(ExamLibrary{library.path()}, id); };

  AppModel model(ExamLibrary{library.path()});
  model.select(id);
  cli({"grade", title, (scans / "class.pdf").string()});
  ASSERT_EQ(stored().sheets.size(), 7u);

  // Saved at once, before the app has looked at the folder again: its copy still
  // has no sheets.
  model.update([](ExamDocument &d) { d.exam.setKey(0, {3}, 2, false); });
  model.flushSaves();
  EXPECT_EQ(stored().sheets.size(), 7u) << "the app wrote its old copy over the graded class";
  EXPECT_EQ(stored().exam.key[0].points, 2);
  QCoreApplication::processEvents();
  EXPECT_EQ(model.document(id)->sheets.size(), 7u);
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "\u201CUnit test\u201D was also changed elsewhere");

  // Decisions and a roster saved on the command line reach the app, and its next edit keeps them.
  std::ofstream(library / "roster.csv") << "Student ID,Last Name,First Name\n1008,Pike,Jordan\n";
  cli({"resolve", title, "1=A", "2=B", "3=C", "4=D", "5=A", "6=B", "7=C"});
  cli({"roster", title, (library / "roster.csv").string()});
  const ExamDocument elsewhere = stored();
  ASSERT_EQ(elsewhere.roster.students.size(), 1u);
  EXPECT_TRUE(QTest::qWaitFor([&] { return *model.document(id) == elsewhere; }, 3000))
      << "the app still shows " << model.document(id)->roster.students.size()
      << " students on the roster";
  EXPECT_EQ(model.openItemCount(), elsewhere.openItemCount());

  model.update([](ExamDocument &d) { d.exam.setKey(1, {3}, 3, false); });
  model.flushSaves();
  ExamDocument doc = stored();
  EXPECT_EQ(doc.sheets, elsewhere.sheets) << "the decisions made on the command line were lost";
  EXPECT_EQ(doc.roster, elsewhere.roster);
  EXPECT_EQ(doc.exam.key[1].points, 3);
}

// The command line holds the test (stopped just before it saves) while the app
// saves: the app's save waits its turn, gives up saying who holds the test, and
// lands once the command is done, with both changes kept.
TEST(AppBesideCli, anEditSavedWhileTheCommandLineHoldsTheTestLandsAfterItKeepingBoth) {
  setenv("OVALON_CLI", OVALON_CLI_BUILT, 0);
  TempDir library, scans;
  const ExamDocument seven = smallClass();
  const Uuid id = seven.exam.id;
  ASSERT_TRUE(ExamLibrary{library.path()}.create(seven));
  writeClassScan(scans / "class.pdf", seven.exam, {1, 2, 3, 4, 5, 6, 7});
  ASSERT_EQ(runCli(library.path(), {"grade", title, (scans / "class.pdf").string()}).status, 0);
  ExamLibrary impatient{library.path()};
  impatient.lockWait = std::chrono::milliseconds(200);
  AppModel model(impatient);
  model.select(id);

  PausePoint pause("OVALON_PAUSE_WITH_LOCK");
  CliProcess resolve(library.path(),
                     {"resolve", title, "1=A", "2=B", "3=C", "4=D", "5=A", "6=B", "7=C"}, &pause);
  ASSERT_TRUE(pause.awaitHeld());
  model.update([](ExamDocument &d) { d.exam.setKey(0, {3}, 4, false); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.message().has_value(); }, 5000))
      << "the save neither failed nor said so";
  EXPECT_EQ(model.message()->title, "\u201CUnit test\u201D couldn\u2019t be saved");
  EXPECT_NE(model.message()->detail.find("resolve"), std::string::npos) << model.message()->detail;

  pause.release();
  ASSERT_EQ(resolve.wait().status, 0);
  model.reloadLibrary();
  model.flushSaves();
  ExamDocument doc = *storedDocument(ExamLibrary{library.path()}, id);
  EXPECT_EQ(doc.openItemCount(), 0) << "the decisions made on the command line were lost";
  EXPECT_EQ(doc.exam.key[0].points, 4) << "the app's edit was lost";
}

} // namespace
} // namespace ovalon
