#include "library/ExamLibrary.h"
#include "library/FileIO.h"
#include "support/CliRunner.h"
#include "support/ScannedPdf.h"
#include "support/TempDir.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace ovalon {
namespace {

using testing::CliResult;
using testing::runCli;
using testing::TempDir;
namespace fs = std::filesystem;

// A page answering every row right, except the blank rows and those marked both A and B,
// its four-digit ID bubbled from `firstDigit` up (1234 is Ada, 5678 is Grace).
GrayImage page(const Exam &exam, int firstDigit, const std::set<int> &blank = {},
               const std::set<int> &twice = {}) {
  const SheetLayout layout(exam);
  std::vector<testing::PencilMark> marks;
  for (int p = 0; p < exam.questionCount; ++p) {
    if (twice.contains(p)) {
      marks.push_back(testing::answerMark(layout, p, 0));
      marks.push_back(testing::answerMark(layout, p, 1));
    } else if (!blank.contains(p)) {
      marks.push_back(testing::answerMark(layout, p, p % 4));
    }
  }
  for (int column = 0; column < 4; ++column)
    marks.push_back(testing::idMark(layout, column, firstDigit + column));
  return testing::renderSheetPage(exam, 1, 200, marks);
}

std::string pdf(const TempDir &dir, const std::string &name, const std::vector<GrayImage> &pages) {
  fs::path path = dir / name;
  testing::writeBytes(path, testing::scannedPdf(pages, {612, 792}, testing::ScanDepth::gray));
  return path.string();
}

std::set<std::string> pictures(const fs::path &folder) {
  std::set<std::string> names;
  for (const auto &entry : fs::directory_iterator(folder))
    names.insert(entry.path().stem().string());
  return names;
}

// A class graded by the CLI, Ada's sheet rescanned after her doubtful rows were decided.
TEST(RescanCommand, replacesOneSheetAndPrintsWhatChanged) {
  TempDir library;
  TempDir files;
  const ExamLibrary stored{library.path()};
  ExamDocument doc = ExamDocument::make(testing::testExam(20, 4, 4, Paper::letter));
  for (int q = 0; q < 20; ++q)
    doc.exam.setKey(q, {q % 4}, 1, false);
  doc.roster.students = {{"1234", "Ada", "Lovelace"}, {"5678", "Grace", "Hopper"}};
  ASSERT_TRUE(stored.save(doc));

  std::string classScan = pdf(files, "class.pdf", {page(doc.exam, 1, {9}, {5}), page(doc.exam, 5)});
  CliResult graded = runCli(library.path(), {"grade", "Unit test", classScan});
  ASSERT_EQ(graded.status, 0) << graded.err;
  doc = stored.loadAll().documents.at(0);
  ASSERT_EQ(doc.sheets.size(), 2u);
  ScannedSheet &ada = doc.sheets[0];
  ASSERT_EQ(ada.flags.size(), 2u);
  ada.flags[0].resolution = Resolution::choice(1); // row 6, A and B: B is right
  ada.flags[1].resolution = Resolution::accept();  // row 10 left blank
  ASSERT_TRUE(stored.save(doc));
  const fs::path images = library / "Images" / doc.exam.id.text();
  const fs::path document = stored.documentPath(doc.exam.id);

  // Refusals: nothing is read for a sheet the test doesn't have, and a scan of the whole
  // class changes nothing.
  std::string again = pdf(files, "again.pdf", {page(doc.exam, 1, {}, {5})});
  CliResult noSheet = runCli(library.path(), {"rescan", "Unit test", "7", again});
  EXPECT_EQ(noSheet.status, 2);
  EXPECT_EQ(noSheet.err, "\u201CUnit test\u201D has no sheet 7.\n");
  const Bytes before = *FileIO::read(document);
  const auto picturesBefore = pictures(images);
  CliResult several = runCli(library.path(), {"rescan", "Unit test", "1", classScan});
  EXPECT_EQ(several.status, 1);
  EXPECT_EQ(several.err, "The sheet wasn\u2019t replaced\nThe scan has 2 students\u2019 sheets. "
                         "Rescan Sheet replaces one: scan "
                         "just this student\u2019s sheet.\n");
  std::ofstream(files / "notes.txt") << "not a scan";
  CliResult unreadable =
      runCli(library.path(), {"rescan", "Unit test", "1", (files / "notes.txt").string()});
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_EQ(unreadable.err, "The sheet wasn\u2019t replaced\nnotes.txt isn\u2019t a PDF or an "
                            "image Ovalon can open.\n");
  EXPECT_TRUE(FileIO::read(document) == before);
  EXPECT_EQ(pictures(images), picturesBefore);

  // Row 10 is filled in now; row 6 still shows A and B, so its decision stays.
  CliResult rescanned = runCli(library.path(), {"rescan", "Unit test", "1", again});
  ASSERT_EQ(rescanned.status, 0) << rescanned.err;
  EXPECT_EQ(rescanned.out, "Sheet 1 replaced\n"
                           "The score went from 95% to 100%. The rest of the class wasn\u2019t "
                           "regraded.\n"
                           "1 review answer was kept, where the new scan reads the same.\n");
  ExamDocument after = stored.loadAll().documents.at(0);
  ASSERT_EQ(after.sheets.size(), 2u);
  const ScannedSheet &now = after.sheets[0];
  EXPECT_EQ(now.id, ada.id);
  EXPECT_EQ(now.source, "again.pdf");
  EXPECT_TRUE(now.rescanned);
  ASSERT_EQ(now.flags.size(), 1u);
  EXPECT_EQ(now.flags[0].resolution, Resolution::choice(1));
  EXPECT_TRUE(after.sheets[1] == doc.sheets[1]);
  std::set<std::string> expected = picturesBefore;
  expected.erase(ada.pageImages.at(0).text());
  expected.insert(now.pageImages.at(0).text());
  EXPECT_EQ(pictures(images), expected);
}

} // namespace
} // namespace ovalon
