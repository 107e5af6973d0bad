#include "library/ExamLibrary.h"
#include "library/FileIO.h"
#include "library/ImageStaging.h"
#include "sheets/SheetLayout.h"
#include "support/TempDir.h"
#include "support/TestSheetPage.h"
#include "workflow/Exports.h"
#include "workflow/GradingRun.h"

#include <gtest/gtest.h>

#include <fstream>

namespace ovalon {
namespace {

MarkRead clean(int slot) {
  std::vector<double> fills(4, 0.02);
  fills[static_cast<size_t>(slot)] = 0.95;
  return {fills, slot, {}, slot};
}

struct ScanRun {
  ExamDocument doc = ExamDocument::make(
      Exam::make(Uuid::random(), "Quiz", Date::now(), 3, 4, 0, Paper::letter, 3));
  GradingRun::Reading reading;

  PageOutcome &page(bool key = false, bool doubtful = false) {
    PageOutcome outcome;
    outcome.source = "scan.pdf";
    outcome.sourcePage = static_cast<int>(reading.outcomes.size()) + 1;
    outcome.identity = SheetIdentity{doc.exam.examCode(), 0, 1, doc.exam.signature(), key};
    for (int p = 0; p < 3; ++p)
      outcome.questions.push_back({p, clean(p)});
    if (doubtful)
      outcome.questions[1].mark = {{0.9, 0.8, 0, 0}, {}, MarkFlag::double_, 0};
    reading.outcomes.push_back(outcome);
    return reading.outcomes.back();
  }
};

TEST(GradingRun, scanNamesQuoteOneFileAndCountSeveral) {
  EXPECT_EQ(GradingRun::scanName({ScanSource::file("/tmp/Period 3.pdf")}),
            "\u201CPeriod 3.pdf\u201D");
  EXPECT_EQ(GradingRun::scanName(
                {ScanSource::file("a.pdf"), ScanSource::file("b.png"), ScanSource::file("c.jpg")}),
            "3 files");
  EXPECT_EQ(GradingRun::scanName({ScanSource::photos({}, "Phone photos")}), "Phone photos");
}

TEST(GradingRun, cleanScanReportsEveryMarkClear) {
  ScanRun run;
  for (int i = 0; i < 24; ++i)
    run.page();
  auto result = GradingRun::complete(run.reading, run.doc);
  EXPECT_EQ(result.title, "Graded 24 sheets");
  EXPECT_EQ(result.detail, "Every mark was clear.");
  EXPECT_FALSE(result.key);
  ScanRun one;
  one.page();
  EXPECT_EQ(GradingRun::complete(one.reading, one.doc).title, "Graded 1 sheet");
}

TEST(GradingRun, reportCountsOpenMarksIssuesBlackAndWhitePagesAndErrors) {
  ScanRun run;
  run.page(false, true).blackAndWhite = true;
  run.page(false, true);
  PageOutcome blank;
  blank.problem = PageProblem::noCode();
  run.reading.outcomes.push_back(blank);
  run.reading.errors.push_back("notes.txt isn\u2019t a PDF or an image Ovalon can open.");
  auto result = GradingRun::complete(run.reading, run.doc);
  EXPECT_EQ(result.title, "Graded 2 sheets");
  EXPECT_EQ(result.detail,
            "2 marks need a look in Review before scores go out.\n"
            "1 page couldn\u2019t be graded; it\u2019s listed in Review.\n"
            "1 page was scanned in black and white, which can drop light pencil marks. If an "
            "answer in Review looks blank but was marked, scan that sheet again in grayscale.\n"
            "notes.txt isn\u2019t a PDF or an image Ovalon can open.");
  ScanRun single;
  single.page(false, true);
  EXPECT_EQ(GradingRun::complete(single.reading, single.doc).detail,
            "1 mark needs a look in Review before scores go out.");
}

TEST(GradingRun, bubbledKeySheetIsSetAsideAndCarriesTheReport) {
  ScanRun run;
  run.page(true);
  auto keyOnly = GradingRun::complete(run.reading, run.doc);
  EXPECT_EQ(keyOnly.title, "No student sheets were in the scan");
  ASSERT_TRUE(keyOnly.key);
  EXPECT_EQ(keyOnly.key->answers[2].choice, 2);
  EXPECT_TRUE(keyOnly.assembly.sheets.empty());
  run.page();
  run.page();
  auto withClass = GradingRun::complete(run.reading, run.doc);
  EXPECT_EQ(withClass.assembly.sheets.size(), 2u);
  EXPECT_EQ(withClass.gradingNote, "Graded 2 sheets.");
  ScanRun none;
  EXPECT_EQ(GradingRun::complete(none.reading, none.doc).title, "No answer sheets were graded");
}

TEST(GradingRun, pagesTheTestAlreadyHoldsAreLeftOutUnlessGradedAgain) {
  ScanRun run;
  run.page();
  run.page();
  run.reading.origins = {{std::nullopt, "digest A"}, {std::nullopt, "digest A"}};
  GradingRun::Result first = GradingRun::complete(run.reading, run.doc);
  EXPECT_EQ(first.assembly.sheets.at(0).sourceDigest, "digest A");
  GradingRun::apply(first, run.doc);

  GradingRun::Result twice = GradingRun::complete(run.reading, run.doc);
  EXPECT_TRUE(twice.assembly.sheets.empty());
  EXPECT_EQ(twice.skippedPages, 2);
  EXPECT_EQ(twice.title, "These pages are already graded");
  EXPECT_EQ(twice.detail, "2 pages were already graded in this test, so they were left out.");
  EXPECT_EQ(GradingRun::complete(run.reading, run.doc, true).assembly.sheets.size(), 2u);

  run.reading.origins[1].digest = "digest B"; // the same page of another file
  EXPECT_EQ(GradingRun::complete(run.reading, run.doc).assembly.sheets.size(), 1u);
}

TEST(GradingRun, filesThatCantBeOpenedSayWhy) {
  testing::TempDir dir;
  EXPECT_EQ(GradingRun::unopenable(dir / "missing.pdf"),
            "\u201Cmissing.pdf\u201D doesn\u2019t exist.");
  EXPECT_EQ(GradingRun::unopenable(dir.path()),
            "\u201C" + dir.path().filename().string() + "\u201D is a folder.");
}

TEST(GradingRun, filesThatAreNeitherPdfNorImageBecomeSentences) {
  testing::TempDir dir;
  std::ofstream(dir / "notes.txt") << "hello";
  std::ofstream(dir / "broken.pdf") << "not a pdf";
  ScanRun run;
  auto reading =
      GradingRun::read({ScanSource::file(dir / "notes.txt"), ScanSource::file(dir / "broken.pdf")},
                       run.doc.exam, {});
  EXPECT_TRUE(reading.outcomes.empty());
  EXPECT_EQ(reading.errors,
            (std::vector<std::string>{"notes.txt isn\u2019t a PDF or an image Ovalon can open.",
                                      "broken.pdf: That PDF couldn\u2019t be opened. It may be "
                                      "damaged or password-protected."}));
}

// A test whose pages' pictures are staged in a library of its own, and its sheets saved
// as images.
struct StagedRun {
  testing::TempDir dir;
  Exam exam = testing::testExam(20, 4, 0, Paper::letter);
  std::optional<ImageStaging> staging;

  StagedRun() {
    const ExamLibrary library{dir / "library"};
    if (library.create(ExamDocument::make(exam)))
      staging.emplace(ImageStaging::open(library, exam.id).value());
  }

  // A sheet whose first question is bubbled at `slot`, saved as a PNG at `path`.
  std::filesystem::path sheet(const std::filesystem::path &path, int slot) const {
    const auto page =
        testing::renderSheetPage(exam, 1, 150, {testing::answerMark(SheetLayout(exam), 0, slot)});
    std::filesystem::create_directories(path.parent_path());
    EXPECT_TRUE(FileIO::writeAtomically(path, *page.pngData()));
    return path;
  }
};

TEST(GradingRun, photosOfOneNameInTwoFoldersAreReadTogetherAndKeepTheirOwnPictures) {
  StagedRun run;
  ASSERT_TRUE(run.staging);
  std::vector<ScanSource> sources;
  for (const int slot : {0, 3})
    sources.push_back(ScanSource::file(
        run.sheet(run.dir / ("period " + std::to_string(slot)) / "sheet.png", slot)));
  const auto reading = GradingRun::read(sources, run.exam, {}, {}, &*run.staging);
  ASSERT_EQ(reading.outcomes.size(), 2u);
  ASSERT_EQ(reading.origins.size(), 2u);
  for (const size_t i : {0u, 1u}) {
    EXPECT_EQ(reading.outcomes[i].questions.at(0).mark.choice, i == 0 ? 0 : 3);
    EXPECT_TRUE(reading.origins[i].picture);
  }
  EXPECT_NE(reading.origins[0].picture, reading.origins[1].picture);
  EXPECT_NE(reading.origins[0].digest, reading.origins[1].digest);
}

// A phone's photos are one source: its pages in the photos' order, whatever the files are
// called, each with its own picture; a file that is no picture says so.
TEST(GradingRun, photosAreOneSourceInTheirOrder) {
  StagedRun run;
  ASSERT_TRUE(run.staging);
  std::ofstream(run.dir / "IMG_0001.txt") << "hello";
  const std::vector<std::filesystem::path> photos{run.sheet(run.dir / "IMG_0009.png", 2),
                                                  run.dir / "IMG_0001.txt",
                                                  run.sheet(run.dir / "IMG_0003.png", 1)};
  const auto reading = GradingRun::read({ScanSource::photos(photos, "Phone photos")}, run.exam, {},
                                        {}, &*run.staging);
  ASSERT_EQ(reading.outcomes.size(), 2u);
  ASSERT_EQ(reading.origins.size(), 2u);
  for (const size_t i : {0u, 1u}) {
    EXPECT_EQ(reading.outcomes[i].source, "Phone photos");
    EXPECT_EQ(reading.outcomes[i].sourcePage, static_cast<int>(i) + 1);
    EXPECT_EQ(reading.outcomes[i].questions.at(0).mark.choice, i == 0 ? 2 : 1);
    EXPECT_TRUE(reading.origins[i].picture);
    EXPECT_FALSE(reading.origins[i].digest);
  }
  EXPECT_NE(reading.origins[0].picture, reading.origins[1].picture);
  EXPECT_EQ(reading.errors,
            std::vector<std::string>{"IMG_0001.txt isn\u2019t a PDF or an image Ovalon can open."});
}

TEST(Exports, blockerNamesWhatStillStandsInTheWay) {
  ScanRun run;
  EXPECT_EQ(Exports::blocker(run.doc), "Grade some sheets first.");
  run.page(false, true);
  GradingRun::apply(GradingRun::complete(run.reading, run.doc), run.doc);
  EXPECT_EQ(Exports::blocker(run.doc), "3 questions have no answer in the key.");
  run.doc.exam.applyKeyText("AB", 0);
  EXPECT_EQ(Exports::blocker(run.doc), "1 question has no answer in the key.");
  run.doc.exam.applyKeyText("C", 2);
  EXPECT_EQ(Exports::blocker(run.doc), "1 item still needs a look in Review.");
  run.doc.sheets[0].flags[0].resolution = Resolution::choice(1);
  EXPECT_FALSE(Exports::blocker(run.doc));
  run.doc.issues.push_back({Uuid::random(), "scan.pdf", 9, PageProblem::noCode(), {}, {}, false});
  EXPECT_EQ(Exports::openItemCount(run.doc), 1);
  run.doc.issues[0].dismissed = true;
  EXPECT_EQ(Exports::openItemCount(run.doc), 0);
}

TEST(Exports, suggestedNamesAreSafeForEveryFileSystemAndReadLikeTheTitle) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"Unit 3: Cells Result Slips", "Unit 3 - Cells Result Slips.pdf"},
      {"Unit 3: Cells/Organelles Scores", "Unit 3 - Cells-Organelles Scores.pdf"},
      {"Term 1 | Quiz 10:30 \"A\" or B?", "Term 1 - Quiz 10-30 'A' or B.pdf"},
      {" -.hidden\tname.  ", "hidden name.pdf"},
      {"a\\b<c>*", "a-bc.pdf"},
      {"   ", "Ovalon.pdf"},
      {":/", "Ovalon.pdf"},
      {std::string(130, 'x'), std::string(120, 'x') + ".pdf"},
      {std::string(110, 'x') + " tail words here", std::string(110, 'x') + " tail.pdf"}};
  for (const auto &[title, name] : cases)
    EXPECT_EQ(Exports::suggestedFileName(title, "pdf"), name) << title;
  std::string accented, wide;
  for (int i = 0; i < 125; ++i) {
    accented += "\u00E9";
    wide += "\U0001F600";
  }
  EXPECT_EQ(Exports::suggestedFileName(accented, "pdf").size(), 120u * 2 + 4);
  EXPECT_LE(Exports::suggestedFileName(wide, "pdf").size(), 255u) << "a name is 255 bytes at most";
}

} // namespace
} // namespace ovalon
