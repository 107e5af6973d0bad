#include "AppTestScans.h"

#include "library/FileIO.h"
#include "model/AppModel.h"
#include "scanning/ImageCodecs.h"
#include "sheets/SheetLayout.h"
#include "support/GradingFixtures.h"
#include "support/RenderedPage.h"
#include "support/ScannedPdf.h"
#include "support/TempDir.h"
#include "support/TestSheetPage.h"

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
    doc.sheets = {second, first}; // stored out of number order
    ScanIssue issue = unreadPage("scan.pdf", 3);
    doc.issues = {issue};
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

TEST(AppModelReview, listHoldsIssuesFirstThenFlagsBySheetNumber) {
  ReviewSetup setup;
  AppModel &model = *setup.model;
  auto items = model.reviewItems();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0], AppModel::ReviewItem{AppModel::ReviewItem::Issue{setup.doc.issues[0].id}});
  EXPECT_EQ(items[1],
            (AppModel::ReviewItem{AppModel::ReviewItem::Flag{setup.sheet(1).id, setup.blankFlag}}));
  EXPECT_EQ(model.openItemCount(), 2);

  model.select(std::nullopt);
  EXPECT_TRUE(model.reviewItems().empty());
  EXPECT_EQ(model.openItemCount(), 0);
}

TEST(AppModelReview, itemCommandsMoveTheSelectionAndNextOpenSkipsSettledOnes) {
  ReviewSetup setup;
  AppModel &model = *setup.model;
  auto items = model.reviewItems();
  model.selectNextItem();
  EXPECT_EQ(model.reviewSelection(), items[0]);
  model.selectNextItem();
  EXPECT_EQ(model.reviewSelection(), items[1]);
  model.selectNextItem();
  EXPECT_EQ(model.reviewSelection(), items[0]) << "wraps around";
  model.selectPreviousItem();
  EXPECT_EQ(model.reviewSelection(), items[1]);

  model.dismissIssue(setup.doc.issues[0].id);
  EXPECT_FALSE(model.isOpen(items[0]));
  model.selectNextOpenItem();
  EXPECT_EQ(model.reviewSelection(), items[1]);
  model.resolve(setup.sheet(1).id, setup.blankFlag, Resolution::blank());
  model.selectNextOpenItem(); // nothing open: the selection stays
  EXPECT_EQ(model.reviewSelection(), items[1]);
}

TEST(AppModelReview, decisionsGoThroughTheOneEditPathAndAreSaved) {
  ReviewSetup setup;
  AppModel &model = *setup.model;
  Uuid sheet1 = setup.sheet(1).id;
  Date before = setup.current().modified;
  QTest::qWait(5);

  model.resolve(sheet1, setup.blankFlag, Resolution::choice(1));
  EXPECT_GT(setup.current().modified, before);
  EXPECT_TRUE(model.hasPendingSave(setup.doc.exam.id));
  EXPECT_EQ(model.openItemCount(), 1);
  model.dismissIssue(setup.doc.issues[0].id);
  EXPECT_EQ(model.openItemCount(), 0);
  EXPECT_EQ(model.reviewItems().size(), 2u); // settled items stay listed
  waitForSaves();
  ExamDocument stored = setup.stored();
  EXPECT_EQ(stored, setup.current());
  EXPECT_TRUE(stored.issues[0].dismissed);

  model.resolve(sheet1, setup.blankFlag, std::nullopt); // reopened
  EXPECT_EQ(model.openItemCount(), 1);

  // Unknown ids change nothing, not even the time stamp.
  ExamDocument unchanged = setup.current();
  model.resolve(sheet1, Uuid::random(), Resolution::blank());
  model.resolve(Uuid::random(), setup.blankFlag, Resolution::blank());
  model.setExcluded(Uuid::random(), true);
  model.dismissIssue(Uuid::random());
  model.removeSheet(Uuid::random());
  EXPECT_EQ(setup.current(), unchanged);
}

TEST(AppModelReview, takingAnExcludedSheetBackReopensWhatLeftItOut) {
  ReviewSetup setup;
  AppModel &model = *setup.model;
  Uuid sheet1 = setup.sheet(1).id;
  model.resolve(sheet1, setup.blankFlag, Resolution::exclude());
  EXPECT_TRUE(setup.sheet(1).excluded);
  EXPECT_EQ(model.openItemCount(), 1); // only the issue: an excluded sheet has no open flags
  model.setExcluded(sheet1, false);
  EXPECT_FALSE(setup.sheet(1).excluded);
  EXPECT_FALSE(setup.sheet(1).flags[0].resolution);
  EXPECT_EQ(model.openItemCount(), 2);
  model.setExcluded(setup.sheet(2).id, true);
  EXPECT_TRUE(setup.sheet(2).excluded);
}

TEST(AppModelReview, removingASheetDropsItsPicturesAndSelection) {
  ReviewSetup setup;
  AppModel &model = *setup.model;
  const ScannedSheet &sheet = setup.sheet(1);
  Uuid sheetID = sheet.id, picture = sheet.pageImages[0];
  model.setSelectedSheet(sheetID);
  model.setReviewSelection(
      AppModel::ReviewItem{AppModel::ReviewItem::Flag{sheetID, setup.blankFlag}});
  model.removeSheet(sheetID);
  EXPECT_EQ(setup.current().sheets.size(), 1u);
  EXPECT_FALSE(model.selectedSheet());
  EXPECT_FALSE(model.reviewSelection());
  model.waitForBackgroundWrites();
  EXPECT_FALSE(model.library().loadImage(picture, setup.doc.exam.id));
  waitForSaves();
  EXPECT_EQ(setup.stored().sheets.size(), 1u);
}

TEST(AppModelReview, analysisFollowsEveryEdit) {
  ReviewSetup setup;
  AppModel &model = *setup.model;
  auto first = model.analysis();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->summary, model.analysis()->summary);
  model.resolve(setup.sheet(1).id, setup.blankFlag, Resolution::choice(1));
  auto second = model.analysis();
  ASSERT_TRUE(second);
  EXPECT_NE(first->summary, second->summary); // sheet 1 now scores full marks
  model.setExcluded(setup.sheet(2).id, true);
  EXPECT_NE(model.analysis()->summary, second->summary);
  model.select(std::nullopt);
  EXPECT_FALSE(model.analysis());
}

TEST(AppModelReview, exportsWaitUntilNothingBlocksThem) {
  ReviewSetup setup;
  AppModel &model = *setup.model;
  fs::path out = setup.dir / "out.csv";

  model.exportScores(out);
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "Scores aren\u2019t ready to export");
  EXPECT_EQ(model.message()->detail, "2 items still need a look in Review.");
  EXPECT_FALSE(fs::exists(out));

  model.dismissIssue(setup.doc.issues[0].id);
  EXPECT_EQ(model.exportBlocker(), "1 item still needs a look in Review.");
  EXPECT_FALSE(model.exportPanel(AppModel::Export::slips));
  EXPECT_EQ(model.message()->title, "The slips aren\u2019t ready");
  EXPECT_FALSE(model.exportPanel(AppModel::Export::report));
  EXPECT_EQ(model.message()->title, "The report isn\u2019t ready");
  EXPECT_TRUE(model.exportPanel(AppModel::Export::answerKeys)); // never blocked

  model.update([](ExamDocument &d) {
    d.exam.setQuestionCount(6);
    d.exam.setKey(3, {}, 1, false);
  });
  EXPECT_EQ(model.exportBlocker(), "3 questions have no answer in the key.");
  model.update([](ExamDocument &d) { d.exam.setQuestionCount(3); });

  for (const ScannedSheet &sheet : setup.current().sheets)
    model.setExcluded(sheet.id, true);
  EXPECT_EQ(model.exportBlocker(), "Grade some sheets first.");
  model.select(std::nullopt);
  EXPECT_EQ(model.exportBlocker(), "Choose a test.");
}

TEST(AppModelReview, readyExportsAreWrittenWhereTheUserChose) {
  ReviewSetup setup;
  AppModel &model = *setup.model;
  model.update([](ExamDocument &d) { d.exam.title = "Unit 3: Cells/Organelles"; });
  model.resolve(setup.sheet(1).id, setup.blankFlag, Resolution::blank());
  model.dismissIssue(setup.doc.issues[0].id);
  EXPECT_EQ(model.exportBlocker(), std::nullopt);

  auto panel = model.exportPanel(AppModel::Export::scores);
  ASSERT_TRUE(panel);
  EXPECT_EQ(panel->fileName, "Unit 3 - Cells-Organelles Scores.csv");
  EXPECT_EQ(panel->message, "Save the scores for your gradebook.");
  EXPECT_EQ(model.exportPanel(AppModel::Export::slips)->fileName,
            "Unit 3 - Cells-Organelles Result Slips.pdf");
  EXPECT_EQ(model.exportPanel(AppModel::Export::report)->fileName,
            "Unit 3 - Cells-Organelles Item Analysis.pdf");
  EXPECT_EQ(model.exportPanel(AppModel::Export::answerKeys)->message,
            "Save each version's answer key and question order.");

  model.exportScores(setup.dir / "scores.csv");
  model.exportSlips(setup.dir / "slips.pdf", SlipLayout::fourPerPage);
  model.exportReport(setup.dir / "report.pdf");
  model.exportAnswerKeys(setup.dir / "keys.pdf");
  EXPECT_FALSE(model.message());

  auto csv = FileIO::read(setup.dir / "scores.csv");
  ASSERT_TRUE(csv);
  std::string text(csv->begin(), csv->end());
  EXPECT_TRUE(text.starts_with("\xEF\xBB\xBF"
                               "Student ID,Last Name,First Name"));
  EXPECT_NE(text.find("1001,Lovelace,Ada"), std::string::npos);
  EXPECT_NE(text.find("1002,Turing,Alan"), std::string::npos);
  auto pages = [&](const char *name) {
    auto facts = pdfFacts(FileIO::read(setup.dir / name).value_or(Bytes{}));
    return facts ? facts->pageCount : 0;
  };
  EXPECT_EQ(pages("slips.pdf"), 1); // two slips, four to a page
  EXPECT_GE(pages("report.pdf"), 1);
  EXPECT_GE(pages("keys.pdf"), 1);

  model.exportScores(setup.dir / "no such folder" / "scores.csv");
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "The file couldn\u2019t be saved");
  EXPECT_FALSE(model.message()->detail.empty());
  EXPECT_FALSE(model.saveFile(setup.dir / "empty.pdf", [] { return std::optional<Bytes>(); }));
  EXPECT_EQ(model.message()->title, "The file couldn\u2019t be made");
  EXPECT_EQ(model.message()->detail, "Please try again.");
}

// A photographed sheet whose code is smudged comes in as an unread page; the teacher
// vouches for its version and it becomes a sheet.
TEST(AppModelReview, unreadPageGradedAsAVersionReplacesItsIssue) {
  TempDir dir;
  Exam exam = testExam(20, 4, 0, Paper::letter);
  exam.setVersionCount(2);
  ASSERT_TRUE(ExamLibrary{dir / "Library"}.save(ExamDocument::make(exam)));
  Bytes png = smudgedCodePhoto(exam);
  ASSERT_FALSE(png.empty());
  writeBytes(dir / "IMG_0002.png", png);

  AppModel model(ExamLibrary{dir / "Library"});
  model.importPhotos({dir / "IMG_0002.png"});
  ASSERT_TRUE(model.progress());
  EXPECT_EQ(model.progress()->title, "Reading Phone photos\u2026");
  ASSERT_TRUE(waitUntilIdle(model));
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "No answer sheets were graded");
  EXPECT_EQ(model.message()->detail, "1 page couldn\u2019t be graded; it\u2019s listed in Review.");
  const ExamDocument &doc = *model.selectedDocument();
  ASSERT_EQ(doc.issues.size(), 1u);
  EXPECT_EQ(doc.issues[0].source, "Phone photos");
  Uuid issueID = doc.issues[0].id;
  Uuid picture = *doc.issues[0].image;
  model.waitForBackgroundWrites();

  model.clearMessage();
  model.gradeIssueAsVersion(issueID, 3); // the test has two versions
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "The page wasn\u2019t graded");
  EXPECT_EQ(model.selectedDocument()->issues.size(), 1u);

  model.clearMessage();
  model.gradeIssueAsVersion(issueID, 1);
  EXPECT_FALSE(model.message());
  const ExamDocument &regraded = *model.selectedDocument();
  EXPECT_TRUE(regraded.issues.empty());
  ASSERT_EQ(regraded.sheets.size(), 1u);
  EXPECT_EQ(regraded.sheets[0].version, 1);
  EXPECT_EQ(regraded.sheets[0].marks[5].choice, 1);
  model.waitForBackgroundWrites();
  EXPECT_TRUE(model.image(regraded.sheets[0].pageImages.at(0)));
  EXPECT_FALSE(model.imageData(picture)); // the issue's own picture is gone
}

} // namespace
} // namespace ovalon
