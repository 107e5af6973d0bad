#include "AppTestScans.h"

#include "model/AppModel.h"
#include "support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

TEST(AppModelGrading, runStoresTheSheetsReportsAndKeepsThePictures) {
  QuizModel setup;
  AppModel &model = *setup.model;
  fs::path scan = setup.dir / "Period 1.pdf";
  writeScan(scan, setup.doc.exam,
            {filledSheet({0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, "1001"),
             filledSheet({0, 1, std::nullopt, 3, 0, 1, 2, 3, 0, 1}, "1002"),
             filledSheet({1, 1, 2, 3, 0, 1, 2, 3, 0, 1}, "1003")});
  // The first sheet is selected the moment the run ends: its scan must be there to show.
  std::optional<bool> scanShownAtOnce;
  QObject::connect(&model, &AppModel::selectionChanged, [&] {
    if (const ExamDocument *doc = model.selectedDocument(); doc && model.selectedSheet())
      for (const ScannedSheet &sheet : doc->sheets)
        if (sheet.id == model.selectedSheet())
          scanShownAtOnce = model.image(sheet.pageImages.at(0)).has_value();
  });

  // A cancelled run leaves the test as it was and says nothing.
  const ExamDocument before = setup.current();
  model.grade({ScanSource::file(scan)});
  model.cancelGrading();
  EXPECT_TRUE(model.progress()) << "the banner goes when the reading stops, not before";
  ASSERT_TRUE(waitUntilIdle(model));
  QTest::qWait(50);
  EXPECT_FALSE(model.progress());
  EXPECT_FALSE(model.message());
  EXPECT_EQ(setup.current(), before);
  EXPECT_FALSE(model.hasPendingSave(before.exam.id));

  model.grade({ScanSource::file(scan)});
  ASSERT_TRUE(model.progress());
  EXPECT_EQ(model.progress()->title, "Reading \u201CPeriod 1.pdf\u201D\u2026");
  EXPECT_EQ(model.tab(), AppModel::Tab::grading);
  model.grade({ScanSource::file(scan)}); // one job at a time: ignored
  ASSERT_TRUE(waitUntilIdle(model));

  EXPECT_FALSE(model.progress());
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "Graded 3 sheets");
  EXPECT_EQ(model.message()->detail, "1 mark needs a look in Review before scores go out.");
  const ExamDocument &doc = setup.current();
  ASSERT_EQ(doc.sheets.size(), 3u);
  EXPECT_EQ(model.selectedSheet(), doc.sheets[0].id);
  EXPECT_EQ(scanShownAtOnce, true) << "sheet 1 showed no scan";

  waitForSaves();
  model.waitForBackgroundWrites();
  EXPECT_EQ(storedDocument(model.library(), doc.exam.id)->sheets, doc.sheets);
  for (const ScannedSheet &sheet : doc.sheets)
    EXPECT_TRUE(model.library().loadImage(sheet.pageImages.at(0), doc.exam.id));
}

TEST(AppModelGrading, filesThatCantBeGradedAreNamedInTheMessage) {
  QuizModel setup;
  AppModel &model = *setup.model;
  std::ofstream(setup.dir / "notes.docx") << "words";
  std::ofstream(setup.dir / "photo.PNG") << "not really a picture";
  std::ofstream(setup.dir / "broken.pdf") << "not a pdf";
  EXPECT_FALSE(model.gradeDroppedFiles({setup.dir / "notes.docx"}));
  EXPECT_FALSE(model.progress());

  EXPECT_TRUE(model.gradeDroppedFiles(
      {setup.dir / "notes.docx", setup.dir / "photo.PNG", setup.dir / "broken.pdf"}));
  ASSERT_TRUE(model.progress());
  EXPECT_EQ(model.progress()->title, "Reading 2 files\u2026");
  EXPECT_FALSE(model.gradeDroppedFiles({setup.dir / "broken.pdf"})) << "a run is going on";
  ASSERT_TRUE(waitUntilIdle(model));
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "No answer sheets were graded");
  EXPECT_EQ(model.message()->detail,
            "photo.PNG isn\u2019t a PDF or an image Ovalon can open.\n"
            "broken.pdf: That PDF couldn\u2019t be opened. It may be damaged or "
            "password-protected.");
}

// A sheet graded once, with the teacher's decision on its blank row, scanned again.
TEST(AppModelGrading, aRescanReplacesOneSheetKeepsItsPlaceAndReports) {
  QuizModel setup;
  AppModel &model = *setup.model;
  const Uuid id = setup.doc.exam.id;
  model.select(id);
  fs::path scan = setup.dir / "class.pdf", again = setup.dir / "again.pdf";
  writeScan(scan, setup.doc.exam,
            {filledSheet({0, 1, std::nullopt, 3, 0, 1, 2, 3, 0, 1}, "1001"),
             filledSheet({1, 1, 2, 3, 0, 1, 2, 3, 0, 1}, "1002")});
  model.grade({ScanSource::file(scan)});
  ASSERT_TRUE(waitUntilIdle(model));
  const ScannedSheet first = model.document(id)->sheets.at(0);
  ASSERT_EQ(first.flags.size(), 1u);
  model.resolve(first.id, first.flags[0].id, Resolution::choice(2));

  writeScan(again, setup.doc.exam,
            {filledSheet({0, 1, std::nullopt, 3, 0, 1, 2, 3, 0, 0}, "1001")});
  model.rescanSheet(first.id, again);
  ASSERT_TRUE(waitUntilIdle(model));
  EXPECT_EQ(model.message()->title, "Sheet 1 replaced");
  const ScannedSheet &now = model.document(id)->sheets.at(0);
  EXPECT_EQ(now.id, first.id);
  EXPECT_EQ(now.answers()[2], 2) << "the decision on the blank row carried over";
  EXPECT_EQ(now.answers()[9], 0) << "the new scan's answers count";
  EXPECT_EQ(model.selectedSheet(), first.id);
  model.waitForBackgroundWrites();
  EXPECT_FALSE(model.library().loadImage(first.pageImages.at(0), id));
  EXPECT_TRUE(model.library().loadImage(now.pageImages.at(0), id));
}

} // namespace
} // namespace ovalon
