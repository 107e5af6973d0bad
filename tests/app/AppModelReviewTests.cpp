#include "AppTestScans.h"

#include "library/FileIO.h"
#include "model/AppModel.h"
#include "support/GradingFixtures.h"
#include "support/RenderedPage.h"
#include "support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;
using namespace fixtures;
namespace fs = std::filesystem;

// A keyed three-question test with two graded sheets and one page that wasn't read:
// sheet 1 (ID 1001) left question 2 blank, sheet 2 (ID 1002) answered everything.
struct ReviewSetup {
  TempDir dir;
  ExamDocument doc;
  std::unique_ptr<AppModel> model;
  Uuid blankFlag;

  ReviewSetup() {
    doc = ExamDocument::make(examWithKey(3, 4, {0, 1, 2}));
    doc.roster.students = {{"1001", "Ada", "Lovelace"}, {"1002", "Alan", "Turing"}};
    ScannedSheet second = sheetAnswering(doc.exam, {0, 1, 2}, 0, "1002");
    second.number = 2;
    ScannedSheet first = sheetAnswering(doc.exam, {0, std::nullopt, 2}, 0, "1001");
    first.number = 1;
    first.pageImages = {Uuid::random()};
    blankFlag = first.flags.at(0).id;
    doc.sheets = {second, first};
    doc.issues = {unreadPage("scan.pdf", 3)};
    ExamLibrary library{dir / "Library"};
    EXPECT_TRUE(library.save(doc));
    EXPECT_TRUE(library.saveImages({{first.pageImages[0], Bytes{1, 2, 3}}}, doc.exam.id));
    model = std::make_unique<AppModel>(library);
  }

  const ExamDocument &current() const { return *model->document(doc.exam.id); }
  const ScannedSheet &sheet(int number) const {
    return *std::ranges::find(current().sheets, number, &ScannedSheet::number);
  }
  ExamDocument stored() const { return *storedDocument(model->library(), doc.exam.id); }
};

TEST(AppModelReview, decisionsAndRemovalsAreStampedSavedAndUnknownIdsChangeNothing) {
  ReviewSetup setup;
  AppModel &model = *setup.model;
  Uuid sheet1 = setup.sheet(1).id;
  Date before = setup.current().modified;
  auto analysed = model.analysis();
  ASSERT_TRUE(analysed);
  QTest::qWait(5);

  model.resolve(sheet1, setup.blankFlag, Resolution::choice(1));
  EXPECT_GT(setup.current().modified, before);
  EXPECT_TRUE(model.hasPendingSave(setup.doc.exam.id));
  EXPECT_NE(model.analysis()->summary, analysed->summary) << "sheet 1 now scores full marks";
  model.dismissIssue(setup.doc.issues[0].id);
  EXPECT_EQ(model.openItemCount(), 0);
  waitForSaves();
  EXPECT_EQ(setup.stored(), setup.current());
  EXPECT_TRUE(setup.stored().issues[0].dismissed);

  // Removing a sheet drops its picture and any selection on it.
  Uuid picture = setup.sheet(1).pageImages[0];
  model.setSelectedSheet(sheet1);
  model.setReviewSelection(
      AppModel::ReviewItem{AppModel::ReviewItem::Flag{sheet1, setup.blankFlag}});
  model.removeSheet(sheet1);
  EXPECT_FALSE(model.selectedSheet());
  EXPECT_FALSE(model.reviewSelection());
  model.waitForBackgroundWrites();
  EXPECT_FALSE(model.library().loadImage(picture, setup.doc.exam.id));
  waitForSaves();
  EXPECT_EQ(setup.stored().sheets.size(), 1u);
  model.select(std::nullopt);
  EXPECT_FALSE(model.analysis());
  EXPECT_TRUE(model.reviewItems().empty());
}

TEST(AppModelReview, exportsSayWhatBlocksThemElseWriteWhereTheUserChose) {
  ReviewSetup setup;
  AppModel &model = *setup.model;
  model.exportScores(setup.dir / "early.csv");
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "Scores aren\u2019t ready to export");
  EXPECT_EQ(model.message()->detail, "2 items still need a look in Review.");
  EXPECT_FALSE(model.exportPanel(AppModel::Export::report));
  EXPECT_EQ(model.message()->title, "The report isn\u2019t ready");
  EXPECT_TRUE(model.exportPanel(AppModel::Export::answerKeys)) << "keys are never blocked";
  EXPECT_FALSE(fs::exists(setup.dir / "early.csv"));

  model.update([](ExamDocument &d) { d.exam.title = "Unit 3: Cells/Organelles"; });
  model.resolve(setup.sheet(1).id, setup.blankFlag, Resolution::blank());
  model.dismissIssue(setup.doc.issues[0].id);
  model.clearMessage();
  EXPECT_EQ(model.exportPanel(AppModel::Export::slips)->fileName,
            "Unit 3 - Cells-Organelles Result Slips.pdf");
  model.exportScores(setup.dir / "scores.csv");
  model.exportSlips(setup.dir / "slips.pdf", SlipLayout::fourPerPage);
  model.exportReport(setup.dir / "report.pdf");
  EXPECT_FALSE(model.message());
  EXPECT_TRUE(fs::exists(setup.dir / "scores.csv"));
  EXPECT_EQ(pdfFacts(FileIO::read(setup.dir / "slips.pdf").value_or(Bytes{}))->pageCount, 1);
  EXPECT_TRUE(pdfFacts(FileIO::read(setup.dir / "report.pdf").value_or(Bytes{})));
}

} // namespace
} // namespace ovalon
