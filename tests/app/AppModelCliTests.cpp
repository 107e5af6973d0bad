// The app open on a library while ovalon-cli changes it: what the command line
// saved must survive the app's next edit, and show in the app.

#include "AppTestScans.h"

#include "model/AppModel.h"
#include "support/ClassScans.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace ovalon {
namespace {

using testing::CliResult;
using testing::runCli;
using testing::TempDir;
namespace fs = std::filesystem;

constexpr const char *title = "Unit test";

// A seven-student class not graded yet, and the scan of their sheets.
class AppBesideCli : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    setenv("OVALON_CLI", OVALON_CLI_BUILT, 0); // ctest sets it; a direct run uses the one built
    prepared = new TempDir;
    ExamDocument doc = testing::smallClass();
    id = doc.exam.id;
    ASSERT_TRUE(ExamLibrary{prepared->path() / "Library"}.create(doc));
    testing::writeClassScan(*prepared / "class.pdf", doc.exam, {1, 2, 3, 4, 5, 6, 7});
  }
  static void TearDownTestSuite() { delete prepared; }
  void SetUp() override {
    fs::copy(*prepared / "Library", library.path(), fs::copy_options::recursive);
  }

  void cli(const std::vector<std::string> &arguments) {
    CliResult result = runCli(library.path(), arguments);
    ASSERT_EQ(result.status, 0) << result.err;
  }
  void gradeTheClass() { cli({"grade", title, (*prepared / "class.pdf").string()}); }
  ExamDocument stored() const { return *testing::storedDocument(ExamLibrary{library.path()}, id); }

  static TempDir *prepared;
  static Uuid id;
  TempDir library;
};

TempDir *AppBesideCli::prepared = nullptr;
Uuid AppBesideCli::id;

TEST_F(AppBesideCli, whatTheCommandLineSavesShowsInTheAppAndSurvivesItsNextEdit) {
  AppModel model(ExamLibrary{library.path()});
  model.select(id);
  gradeTheClass();
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

} // namespace
} // namespace ovalon
