#include "AppTestScans.h"

#include "library/FileIO.h"
#include "model/AppModel.h"
#include "simulator/SampleClass.h"
#include "support/RenderedPage.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Every progress banner the model showed, in order, as the screens would see them.
struct ProgressLog {
  std::vector<AppModel::Progress> seen;
  QMetaObject::Connection connection;

  explicit ProgressLog(AppModel &model) {
    connection = QObject::connect(&model, &AppModel::progressChanged, [this, &model] {
      if (model.progress() && (seen.empty() || seen.back() != *model.progress()))
        seen.push_back(*model.progress());
    });
  }
  ~ProgressLog() { QObject::disconnect(connection); }

  bool showed(const std::string &title) const {
    return std::ranges::any_of(seen, [&](const auto &p) { return p.title == title; });
  }
};

struct GradingSetup {
  TempDir dir;
  ExamDocument doc = quizDocument();
  std::unique_ptr<AppModel> model;

  GradingSetup() {
    ExamLibrary library{dir / "Library"};
    EXPECT_TRUE(library.save(doc));
    model = std::make_unique<AppModel>(library);
  }
  const ExamDocument &current() const { return *model->document(doc.exam.id); }
};

TEST(AppModelGrading, runStoresTheSheetsReportsAndKeepsThePictures) {
  GradingSetup setup;
  AppModel &model = *setup.model;
  fs::path scan = setup.dir / "Period 1.pdf";
  writeScan(scan, setup.doc.exam,
            {filledSheet({0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, "1001"),
             filledSheet({0, 1, std::nullopt, 3, 0, 1, 2, 3, 0, 1}, "1002"),
             filledSheet({1, 1, 2, 3, 0, 1, 2, 3, 0, 1}, "1003")});
  ProgressLog log(model);
  // The first sheet is selected the moment the run ends: its scan must be there to show.
  std::optional<bool> scanShownAtOnce;
  QObject::connect(&model, &AppModel::selectionChanged, [&] {
    if (const ExamDocument *doc = model.selectedDocument(); doc && model.selectedSheet())
      for (const ScannedSheet &sheet : doc->sheets)
        if (sheet.id == model.selectedSheet())
          scanShownAtOnce = model.image(sheet.pageImages.at(0)).has_value();
  });

  model.grade({ScanSource::file(scan)});
  ASSERT_TRUE(model.progress());
  EXPECT_EQ(model.progress()->title, "Reading \u201CPeriod 1.pdf\u201D\u2026");
  EXPECT_EQ(model.tab(), AppModel::Tab::grading);
  model.grade({ScanSource::file(scan)}); // one job at a time: ignored
  ASSERT_TRUE(waitUntilIdle(model));

  EXPECT_FALSE(model.progress());
  ASSERT_FALSE(log.seen.empty());
  EXPECT_EQ(log.seen.front().total, 0);
  EXPECT_TRUE(std::ranges::any_of(log.seen, [](const auto &p) { return p.total == 3; }));
  EXPECT_TRUE(std::ranges::all_of(log.seen, [](const auto &p) { return p.done <= p.total; }));

  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "Graded 3 sheets");
  EXPECT_EQ(model.message()->detail, "1 mark needs a look in Review before scores go out.");
  const ExamDocument &doc = setup.current();
  ASSERT_EQ(doc.sheets.size(), 3u);
  EXPECT_EQ(doc.sheets[1].studentID(), "1002");
  EXPECT_EQ(model.selectedSheet(), doc.sheets[0].id);
  EXPECT_EQ(scanShownAtOnce, true) << "sheet 1 showed no scan";
  EXPECT_FALSE(model.keyCheck());

  waitForSaves();
  model.waitForBackgroundWrites();
  auto stored = storedDocument(model.library(), doc.exam.id);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->sheets, doc.sheets);
  for (const ScannedSheet &sheet : doc.sheets) {
    ASSERT_EQ(sheet.pageImages.size(), 1u);
    EXPECT_TRUE(model.image(sheet.pageImages[0]));
  }
}

TEST(AppModelGrading, cancelledRunLeavesTheTestAsItWasAndSaysNothing) {
  GradingSetup setup;
  AppModel &model = *setup.model;
  fs::path scan = setup.dir / "scan.pdf";
  writeScan(scan, setup.doc.exam,
            {filledSheet({0, 1, 2}, "1001"), filledSheet({0, 1, 2}, "1002"),
             filledSheet({0, 1, 2}, "1003")});
  ExamDocument before = setup.current();
  model.grade({ScanSource::file(scan)});
  ASSERT_TRUE(model.isBusy());
  model.cancelGrading();
  EXPECT_TRUE(model.progress()); // the banner goes when the reading stops, not before
  ASSERT_TRUE(waitUntilIdle(model));
  QTest::qWait(50);
  EXPECT_FALSE(model.progress());
  EXPECT_FALSE(model.message());
  EXPECT_EQ(setup.current(), before);
  EXPECT_FALSE(model.hasPendingSave(before.exam.id));
}

TEST(AppModelGrading, dropsTakeOnlyScansAndUnreadableFilesAreNamed) {
  GradingSetup setup;
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
  EXPECT_FALSE(model.gradeDroppedFiles({setup.dir / "broken.pdf"})); // a run is going on
  ASSERT_TRUE(waitUntilIdle(model));

  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "No answer sheets were graded");
  EXPECT_EQ(model.message()->detail,
            "photo.PNG isn\u2019t a PDF or an image Ovalon can open.\n"
            "broken.pdf: That PDF couldn\u2019t be opened. It may be damaged or "
            "password-protected.");
  EXPECT_TRUE(setup.current().sheets.empty());
}

TEST(AppModelGrading, photosWithNothingUsableSaySo) {
  GradingSetup setup;
  AppModel &model = *setup.model;
  std::ofstream(setup.dir / "IMG_0001.jpg") << "garbage";
  model.importPhotos({setup.dir / "IMG_0001.jpg", setup.dir / "missing.pdf"});
  EXPECT_TRUE(model.progress()) << "photos are decoded in the reading job, not in the window";
  EXPECT_FALSE(model.message());
  ASSERT_TRUE(waitUntilIdle(model));
  EXPECT_FALSE(model.progress());
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "Nothing to grade came over");
  EXPECT_EQ(model.message()->detail, "Choose photos or PDFs of the answer sheets.");
  EXPECT_TRUE(setup.current().sheets.empty());
  EXPECT_TRUE(setup.current().issues.empty());
}

TEST(AppModelGrading, noFilesAtAllSaySoAtOnce) {
  GradingSetup setup;
  AppModel &model = *setup.model;
  model.importPhotos({setup.dir / "missing.pdf"});
  EXPECT_FALSE(model.progress());
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "Nothing to grade came over");
}

TEST(AppModelGrading, bubbledKeyInAClassScanOpensTheKeyCheckInsteadOfAMessage) {
  GradingSetup setup;
  AppModel &model = *setup.model;
  fs::path scan = setup.dir / "with key.pdf";
  std::vector<int> bubbled{0, 1, 2, 3, 0, 1, 2, 3, 0, 2}; // the last differs from the typed key
  writeScan(
      scan, setup.doc.exam,
      {keySheet(setup.doc.exam, bubbled), filledSheet({0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, "1001")});
  model.grade({ScanSource::file(scan)});
  ASSERT_TRUE(waitUntilIdle(model));

  EXPECT_FALSE(model.message());
  ASSERT_TRUE(model.keyCheck());
  const AppModel::KeyCheck &check = *model.keyCheck();
  EXPECT_EQ(check.examID, setup.doc.exam.id);
  EXPECT_EQ(check.gradingNote, "Graded 1 sheet.");
  ASSERT_EQ(check.key.answers.size(), 10u);
  std::vector<std::optional<int>> answers;
  for (const KeyRead &read : check.key.answers)
    answers.push_back(read.choice);
  EXPECT_EQ(answers, (std::vector<std::optional<int>>(bubbled.begin(), bubbled.end())));
  EXPECT_EQ(setup.current().sheets.size(), 1u);

  model.applyKey(answers, check.examID);
  EXPECT_FALSE(model.keyCheck());
  EXPECT_EQ(setup.current().exam.key[9].correct, (std::set<int>{2}));
  EXPECT_EQ(setup.current().exam.key[0].correct, (std::set<int>{0}));
  EXPECT_TRUE(model.hasPendingSave(setup.doc.exam.id));
}

TEST(AppModelGrading, answerKeyScanIsReadForTheCheckOrSaysWhyNot) {
  GradingSetup setup;
  AppModel &model = *setup.model;
  fs::path scan = setup.dir / "key.pdf";
  std::vector<int> bubbled{3, 2, 1, 0, 3, 2, 1, 0, 3, 2};
  writeScan(scan, setup.doc.exam, {keySheet(setup.doc.exam, bubbled)});
  model.scanAnswerKey(scan);
  ASSERT_TRUE(model.progress());
  EXPECT_EQ(model.progress()->title, "Reading the answer key\u2026");
  ASSERT_TRUE(waitUntilIdle(model));
  ASSERT_TRUE(model.keyCheck());
  EXPECT_EQ(model.keyCheck()->gradingNote, std::nullopt);
  EXPECT_EQ(model.keyCheck()->key.answers[0].choice, 3);
  EXPECT_EQ(model.keyCheck()->key.answers[9].choice, 2);
  EXPECT_TRUE(setup.current().sheets.empty()); // a key read grades nothing
  model.cancelKeyCheck();
  EXPECT_FALSE(model.keyCheck());
  EXPECT_EQ(setup.current().exam.key, setup.doc.exam.key);

  std::ofstream(setup.dir / "broken.pdf") << "not a pdf";
  model.scanAnswerKey(setup.dir / "broken.pdf");
  ASSERT_TRUE(waitUntilIdle(model));
  EXPECT_FALSE(model.keyCheck());
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "The answer key couldn\u2019t be read");
  EXPECT_EQ(model.message()->detail,
            "The scan has no answer sheet for this test.\n"
            "broken.pdf: That PDF couldn\u2019t be opened. It may be damaged or "
            "password-protected.");
}

TEST(AppModelGrading, applyingAKeyKeepsAnswersTheKeyAlreadyAccepts) {
  GradingSetup setup;
  AppModel &model = *setup.model;
  Uuid id = setup.doc.exam.id;
  model.update([](ExamDocument &d) { d.exam.setKey(3, {1, 2}, 2, false); }, id);
  std::vector<std::optional<int>> answers(10);
  answers[3] = 1; // B, already accepted
  answers[4] = 3; // D replaces A
  answers[5] = 7; // not a choice of this test
  model.applyKey(answers, id);
  const Exam &exam = setup.current().exam;
  EXPECT_EQ(exam.key[3].correct, (std::set<int>{1, 2}));
  EXPECT_EQ(exam.key[3].points, 2);
  EXPECT_EQ(exam.key[4].correct, (std::set<int>{3}));
  EXPECT_EQ(exam.key[5].correct, setup.doc.exam.key[5].correct);
  EXPECT_EQ(exam.key[0].correct, setup.doc.exam.key[0].correct);
  answers[3] = 3;
  model.applyKey(answers, id);
  EXPECT_EQ(setup.current().exam.key[3].correct, (std::set<int>{3}));
  EXPECT_FALSE(model.message());
}

TEST(AppModelGrading, rosterImportRefreshesTheTestAndTellsWhatToWatch) {
  GradingSetup setup;
  AppModel &model = *setup.model;
  Uuid id = setup.doc.exam.id;
  FileIO::writeAtomically(setup.dir / "clean.csv",
                          std::string_view("ID,First,Last\n1001,Ada,Lovelace\n"));
  model.importRoster(setup.dir / "clean.csv");
  EXPECT_FALSE(model.message());
  EXPECT_EQ(setup.current().roster.students.size(), 1u);
  EXPECT_EQ(setup.current().roster.sourceName, "clean.csv");

  FileIO::writeAtomically(
      setup.dir / "long.csv",
      std::string_view("ID,First,Last\n1234567,Ada,Lovelace\n7654321,Alan,Turing\n"));
  model.importRoster(setup.dir / "long.csv");
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "Imported 2 students");
  EXPECT_EQ(model.message()->detail, "Some IDs have 7 digits but the sheet has 4 ID columns. "
                                     "Raise \u201CID digits\u201D before printing.");
  EXPECT_EQ(setup.current().roster.students.size(), 2u);

  ExamDocument before = setup.current();
  model.clearMessage();
  model.importRoster(setup.dir / "missing.csv");
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "That roster couldn\u2019t be imported");
  EXPECT_FALSE(model.message()->detail.empty());
  FileIO::writeAtomically(setup.dir / "names.csv", std::string_view("First,Last\nAda,Lovelace\n"));
  model.importRoster(setup.dir / "names.csv");
  EXPECT_EQ(model.message()->title, "That roster couldn\u2019t be imported");
  EXPECT_EQ(setup.current(), before);
  waitForSaves();
  EXPECT_EQ(storedDocument(model.library(), id)->roster, before.roster);
}

// The one test that makes and grades the whole sample class.
TEST(AppModelGrading, sampleClassIsMadeAndGradedOnceThenOnlyOpened) {
  TempDir dir;
  AppModel model(ExamLibrary{dir / "Library"});
  ProgressLog log(model);
  model.trySampleClass();
  Uuid sampleID = *Uuid::parse(SampleClass::testID);
  EXPECT_EQ(model.selectedID(), sampleID);
  EXPECT_EQ(model.tab(), AppModel::Tab::grading);
  ASSERT_TRUE(model.progress());
  EXPECT_EQ(model.progress()->title, "Making the sample class\u2019s scan\u2026");
  model.trySampleClass(); // ignored while the scan is being made
  EXPECT_EQ(model.documents().size(), 1u);
  // The scan is made, then graded: two jobs, one after the other.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return log.showed("Reading \u201CSample Class Scan.pdf\u201D\u2026"); }, 300'000));
  ASSERT_TRUE(waitUntilIdle(model));

  const ExamDocument *sample = model.document(sampleID);
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->exam.title, SampleClass::title);
  EXPECT_EQ(sample->roster.students.size(), 26u);
  EXPECT_EQ(sample->sheets.size(), 26u);
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "Graded 26 sheets");
  EXPECT_NE(model.message()->detail.find("need a look in Review before scores go out."),
            std::string::npos);
  EXPECT_GT(model.openItemCount(), 0);

  model.newTest();
  model.clearMessage();
  size_t documents = model.documents().size();
  model.trySampleClass();
  EXPECT_EQ(model.selectedID(), sampleID);
  EXPECT_EQ(model.tab(), AppModel::Tab::review);
  EXPECT_FALSE(model.progress());
  EXPECT_FALSE(model.message());
  EXPECT_EQ(model.documents().size(), documents);
  EXPECT_EQ(model.document(sampleID)->sheets.size(), 26u);

  EXPECT_EQ(AppModel::sampleScanPanel().fileName, "Sample Class Scan.pdf");
  model.saveSampleScan(dir / "Saved Scan.pdf");
  ASSERT_TRUE(model.progress());
  EXPECT_EQ(model.progress()->title, "Making the sample class\u2019s scan\u2026");
  ASSERT_TRUE(waitUntilIdle(model));
  EXPECT_FALSE(model.message());
  auto facts = pdfFacts(FileIO::read(dir / "Saved Scan.pdf").value_or(Bytes{}));
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->pageCount, 26);
}

} // namespace
} // namespace ovalon

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// A sheet graded once, with the teacher's decision on its blank row, scanned again.
TEST(AppModelRescan, aNewScanReplacesOneSheetKeepsItsPlaceAndReports) {
  TempDir dir;
  ExamDocument doc = quizDocument();
  ExamLibrary library{dir / "Library"};
  ASSERT_TRUE(library.save(doc));
  AppModel model(library);
  model.select(doc.exam.id);
  fs::path scan = dir / "class.pdf", again = dir / "again.pdf", other = dir / "other.pdf";
  writeScan(scan, doc.exam,
            {filledSheet({0, 1, std::nullopt, 3, 0, 1, 2, 3, 0, 1}, "1001"),
             filledSheet({1, 1, 2, 3, 0, 1, 2, 3, 0, 1}, "1002")});
  model.grade({ScanSource::file(scan)});
  ASSERT_TRUE(waitUntilIdle(model));
  const ScannedSheet first = model.document(doc.exam.id)->sheets.at(0);
  ASSERT_EQ(first.flags.size(), 1u);
  model.resolve(first.id, first.flags[0].id, Resolution::choice(2));

  auto panel = model.rescanPanel(first.id);
  ASSERT_TRUE(panel);
  EXPECT_EQ(panel->button, "Rescan");
  EXPECT_TRUE(panel->message.starts_with("Choose a new scan of ")) << panel->message;
  EXPECT_TRUE(panel->message.ends_with("\u2019s answer sheet (all its pages). It replaces this "
                                       "sheet only; the rest of the class stays as graded."));

  // The whole class is not one sheet: refused, and nothing changes.
  ExamDocument before = *model.document(doc.exam.id);
  model.rescanSheet(first.id, scan);
  ASSERT_TRUE(model.progress());
  EXPECT_EQ(model.progress()->title, "Reading the new scan\u2026");
  ASSERT_TRUE(waitUntilIdle(model));
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "The sheet wasn\u2019t replaced");
  EXPECT_EQ(model.document(doc.exam.id)->sheets, before.sheets);

  writeScan(again, doc.exam, {filledSheet({0, 1, std::nullopt, 3, 0, 1, 2, 3, 0, 0}, "1001")});
  model.rescanSheet(first.id, again);
  ASSERT_TRUE(waitUntilIdle(model));
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "Sheet 1 replaced");
  EXPECT_NE(model.message()->detail.find("1 review answer was kept, where the new scan reads "
                                         "the same."),
            std::string::npos)
      << model.message()->detail;
  const ExamDocument &after = *model.document(doc.exam.id);
  ASSERT_EQ(after.sheets.size(), 2u);
  EXPECT_EQ(after.sheets[0].id, first.id);
  EXPECT_EQ(after.sheets[0].number, 1);
  EXPECT_EQ(after.sheets[0].answers()[2], 2) << "the decision on the blank row carried over";
  EXPECT_EQ(after.sheets[0].answers()[9], 0) << "the new scan's answers count";
  EXPECT_EQ(model.selectedSheet(), first.id);
  model.waitForBackgroundWrites();
  EXPECT_FALSE(model.library().loadImage(first.pageImages.at(0), doc.exam.id));
  EXPECT_TRUE(model.library().loadImage(after.sheets[0].pageImages.at(0), doc.exam.id));
}

} // namespace
} // namespace ovalon
