#include "grading/Rescan.h"

#include "grading/Assembly.h"
#include "library/ExamDocument.h"
#include "scanning/Grader.h"
#include "support/GradingFixtures.h"
#include "support/PageDistortion.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace ovalon {
namespace {

using testing::PencilMark;

// A 20-question test keyed position % 4, one point each, and a class of three.
ExamDocument classDocument() {
  ExamDocument doc = ExamDocument::make(testing::testExam(20, 4, 4, Paper::letter));
  for (int q = 0; q < 20; ++q)
    doc.exam.setKey(q, {q % 4}, 1, false);
  doc.roster.students = {
      {"1234", "Ada", "Lovelace"}, {"1243", "Alan", "Turing"}, {"5678", "Grace", "Hopper"}};
  return doc;
}

// A page answering position % 4 everywhere but in `rows`, which list the letters marked on a
// row ("" for none) or say "faint".
GrayImage drawnPage(const Exam &exam, const std::string &id,
                    const std::map<int, std::string> &rows = {}) {
  const SheetLayout layout(exam);
  std::vector<PencilMark> marks;
  for (int p = 0; p < exam.questionCount; ++p) {
    const auto row = rows.find(p);
    if (row == rows.end() || row->second == "faint")
      marks.push_back(testing::answerMark(layout, p, p % 4, row == rows.end() ? 0.2 : 0.72));
    else
      for (char letter : row->second)
        marks.push_back(testing::answerMark(layout, p, letter - 'A', 0.2));
  }
  for (size_t column = 0; column < id.size(); ++column)
    if (id[column] != ' ')
      marks.push_back(testing::idMark(layout, static_cast<int>(column), id[column] - '0'));
  return testing::renderSheetPage(exam, 1, 200, marks);
}

// Pages drawn by our renderer and read by the real scan intake, once for the whole suite.
class RescanSheet : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    const Exam exam = classDocument().exam;
    // Ada's first scan: a faint 2, doubles at 5 and 12, a blank 9.
    GrayImage adaFirst = drawnPage(exam, "1234", {{2, "faint"}, {5, "AB"}, {9, ""}, {12, "AC"}});
    // Her paper again, turned upside down on the glass: 2 darkened, a third mark on 12.
    GrayImage adaAgain =
        testing::distort(drawnPage(exam, "1234", {{5, "AB"}, {9, ""}, {12, "ACD"}}),
                         {.rotationDegrees = 180.6, .noise = 3, .jpegQuality = 85})
            .image;
    GrayImage alan = drawnPage(exam, "1243");
    GrayImage grace = drawnPage(exam, "5678");
    GrayImage key = testing::renderSheetPage(exam, 1, 200, {}, 0, SheetFill::answerKey());
    GrayImage emptyPaper(1700, 2200, std::vector<uint8_t>(1700 * 2200, 250));
    auto read = [&](const GrayImage &page, int n) {
      return Grader::gradeImages({page}, "scan " + std::to_string(n) + ".pdf", exam).at(0);
    };
    pages = new std::map<std::string, PageOutcome>{
        {"adaFirst", read(adaFirst, 1)}, {"grace", read(grace, 2)}, {"adaAgain", read(adaAgain, 3)},
        {"alan", read(alan, 4)},         {"key", read(key, 5)},     {"empty", read(emptyPaper, 6)}};
  }
  static void TearDownTestSuite() { delete pages; }

  void SetUp() override {
    doc = classDocument();
    AssemblyResult graded =
        Assembly::assemble({page("adaFirst"), page("grace")}, doc.exam, doc.roster.students, {});
    ASSERT_EQ(graded.sheets.size(), 2u);
    doc.sheets = graded.sheets;
    ScannedSheet &ada = doc.sheets[0];
    ASSERT_EQ(positions(ada), (std::vector<int>{2, 5, 9, 12}));
    for (size_t i = 0; Resolution r : {Resolution::choice(2), Resolution::choice(1),
                                       Resolution::accept(), Resolution::choice(0)})
      ada.flags[i++].resolution = r;
  }

  static const PageOutcome &page(const std::string &name) { return pages->at(name); }

  static std::vector<int> positions(const ScannedSheet &sheet) {
    std::vector<int> out;
    for (const ReviewFlag &flag : sheet.flags)
      out.push_back(flag.position.value_or(-1));
    return out;
  }

  static inline std::map<std::string, PageOutcome> *pages = nullptr;
  ExamDocument doc;
};

const Date rescanTime{812345678};

TEST_F(RescanSheet, newSheetTakesTheOldOnesPlaceAndKeepsDecisionsWhereTheRowReadsTheSame) {
  doc.sheets[0].excluded = true;
  const ExamDocument before = doc;
  const ScannedSheet &old = before.sheets[0];

  auto done = Rescan::replace(old.id, doc.exam, doc.roster, doc.sheets,
                              {page("adaAgain"), page("empty"), page("key")}, rescanTime);
  ASSERT_TRUE(done) << done.error().description();

  ASSERT_EQ(doc.sheets.size(), 2u);
  const ScannedSheet &now = doc.sheets[0];
  EXPECT_EQ(std::tuple(now.id, now.number, now.excluded, now.rescanned, now.source, now.readID),
            std::tuple(old.id, old.number, false, std::optional(rescanTime),
                       std::string("scan 3.pdf"), std::string("1234")));
  EXPECT_TRUE(doc.sheets[1] == before.sheets[1] && doc.issues.empty());

  // 2 is now dark and has no flag; 5 and 9 read as before and keep their decisions; the third
  // mark on 12 reopens it.
  ASSERT_EQ(positions(now), (std::vector<int>{5, 9, 12}));
  EXPECT_EQ(std::tuple(now.flags[0].resolution, now.flags[1].resolution, now.flags[2].resolution),
            std::tuple(Resolution::choice(1), Resolution::accept(), std::nullopt));
  EXPECT_EQ(now.flags[2].kind, FlagKind::double_);

  // Before: only 9 wrong. After: 9 and the open 12 wrong.
  EXPECT_EQ(done->summary, (Rescan::Summary{2, 1, 2, false, 95, 90}));
  EXPECT_EQ(done->replacedImages, old.pictures());
  ASSERT_EQ(now.pageImages.size(), 1u);
  EXPECT_EQ(done->images.at(now.pageImages[0]), *page("adaAgain").preview);
  // The page, and the pictures of its ID bubbles and name line.
  std::set<Uuid> stored;
  for (const auto &[picture, bytes] : done->images)
    stored.insert(picture);
  const std::vector<Uuid> pictures = now.pictures();
  EXPECT_EQ(stored, std::set<Uuid>(pictures.begin(), pictures.end()));
  EXPECT_EQ(pictures.size(), 3u);
}

// Another student's page, whether or not they have a sheet of their own: the
// clash is no reason to take it quietly.
TEST_F(RescanSheet, anotherStudentsIDAsksTheTeacherToPick) {
  for (const auto &[name, id] : {std::pair{"alan", "1243"}, {"grace", "5678"}}) {
    SCOPED_TRACE(name);
    SetUp();
    auto done = Rescan::replace(doc.sheets[0].id, doc.exam, doc.roster, doc.sheets, {page(name)},
                                rescanTime);
    ASSERT_TRUE(done);
    const ScannedSheet &now = doc.sheets[0];
    ASSERT_EQ(std::ranges::count(now.flags, FlagKind::studentID, &ReviewFlag::kind), 1);
    const ReviewFlag &flag = now.flags[0];
    EXPECT_EQ(flag.note, "This scan reads ID " + std::string(id) +
                             "; the sheet it replaced was 1234\u2019s. Pick the student.");
    EXPECT_FALSE(flag.position || flag.resolution || flag.suggestion || flag.crop);
    EXPECT_TRUE(flag.id != Uuid{} && !now.studentID());
    EXPECT_EQ(done->summary, (Rescan::Summary{0, 1, 0, true, 95, 100}));
    auto refreshed = Assembly::refreshIDFlags(doc.sheets, doc.exam, doc.roster.students);
    EXPECT_EQ(refreshed[0].flags[0], flag) << "the prompt stays until decided";
  }
}

TEST_F(RescanSheet, refusalsSayWhyAndLeaveTheDocumentAsItWas) {
  const std::vector<std::pair<std::vector<PageOutcome>, std::string>> cases{
      {{}, "No answer sheet for this test was found in the scan."},
      {{page("empty")},
       "No answer sheet for this test was found in the scan. No Ovalon code found."},
      {{page("key"), page("empty")}, "That scan is the answer key sheet, not a student\u2019s."},
      {{page("alan"), page("key"), page("grace")},
       "The scan has 2 students\u2019 sheets. Rescan Sheet replaces one: scan just this "
       "student\u2019s sheet."},
  };
  const ExamDocument before = doc;
  for (const auto &[outcomes, sentence] : cases) {
    auto refused = Rescan::replace(doc.sheets[0].id, doc.exam, doc.roster, doc.sheets, outcomes);
    ASSERT_FALSE(refused) << sentence;
    EXPECT_EQ(refused.error().description(), sentence);
    EXPECT_TRUE(doc == before) << sentence;
  }
  auto gone = Rescan::replace(Uuid::random(), doc.exam, doc.roster, doc.sheets, {page("adaAgain")});
  ASSERT_FALSE(gone);
  EXPECT_TRUE(gone.error() == Rescan::Failure::notFound() && doc == before);
  EXPECT_EQ(gone.error().description(), "The sheet to replace isn\u2019t in this test any more.");
}

PageOutcome describedPage(const Exam &exam, const std::string &id, int page = 1) {
  PageOutcome outcome;
  outcome.source = "rescan.pdf";
  outcome.identity = SheetIdentity{exam.examCode(), 0, page, exam.signature(), false};
  for (int p = (page - 1) * 100; p < std::min(exam.questionCount, page * 100); ++p)
    outcome.questions.push_back({p, fixtures::clearMark(exam.choiceCount, p % 4)});
  for (char digit : id)
    outcome.idColumns.push_back(fixtures::clearMark(10, digit - '0'));
  return outcome;
}

ExamDocument decidedID(const std::string &id, std::optional<Resolution> decision) {
  ExamDocument doc = classDocument();
  doc.sheets =
      Assembly::assemble({describedPage(doc.exam, id)}, doc.exam, doc.roster.students, {}).sheets;
  if (decision && !doc.sheets[0].flags.empty())
    doc.sheets[0].flags[0].resolution = decision;
  return doc;
}

TEST(RescanStudentID, decisionsAreKeptOnlyWhileTheyStillApply) {
  // The ID first read and its decision, the ID read again, decisions kept, items open, student.
  const std::vector<std::tuple<std::string, std::optional<Resolution>, std::string, int, int,
                               std::optional<std::string>>>
      cases{
          // A picked student stays picked, whatever unlisted ID the new scan reads.
          {"99", Resolution::student("1243"), "98", 1, 0, "1243"},
          // An accepted ID stays accepted only while it reads the same.
          {"99", Resolution::accept(), "99", 1, 0, "99"},
          {"99", Resolution::accept(), "98", 0, 1, std::nullopt},
          // Leading zeros are the same student.
          {"1234", std::nullopt, "01234", 0, 0, "01234"},
      };
  for (const auto &[readID, decision, rescanID, kept, open, student] : cases) {
    SCOPED_TRACE(readID + " then " + rescanID);
    ExamDocument doc = decidedID(readID, decision);
    auto done = Rescan::replace(doc.sheets[0].id, doc.exam, doc.roster, doc.sheets,
                                {describedPage(doc.exam, rescanID)});
    ASSERT_TRUE(done);
    EXPECT_EQ(std::tuple(done->summary.keptDecisions, done->summary.openFlags,
                         done->summary.differentStudent, doc.sheets[0].studentID()),
              std::tuple(kept, open, false, student));
    if (open > 0) {
      EXPECT_EQ(doc.sheets[0].flags[0].note, "ID " + rescanID + " isn't on the roster.");
    }
  }
}

TEST(RescanMissingPage, acceptingAMissingPageIsNeverCarried) {
  ExamDocument doc = ExamDocument::make(fixtures::examWithKey(120, 4, {}));
  doc.sheets = Assembly::assemble({describedPage(doc.exam, "7")}, doc.exam, {}, {}).sheets;
  ASSERT_EQ(doc.sheets[0].flags.size(), 1u);
  doc.sheets[0].flags[0].resolution = Resolution::accept();
  ExamDocument complete = doc;

  auto stillMissing = Rescan::replace(doc.sheets[0].id, doc.exam, doc.roster, doc.sheets,
                                      {describedPage(doc.exam, "7")});
  EXPECT_EQ(std::pair(stillMissing->summary.keptDecisions, stillMissing->summary.openFlags),
            std::pair(0, 1));
  EXPECT_EQ(doc.sheets[0].flags.at(0).kind, FlagKind::missingPage);

  auto bothPages =
      Rescan::replace(complete.sheets[0].id, complete.exam, complete.roster, complete.sheets,
                      {describedPage(complete.exam, "7"), describedPage(complete.exam, "", 2)});
  EXPECT_EQ(std::pair(bothPages->summary.openFlags, complete.sheets[0].sourcePages.size()),
            std::pair(0, 2uz));
}

TEST(RescanSummary, sentencesSayOnlyWhatApplies) {
  EXPECT_EQ((Rescan::Summary{3, 2, 4, true, 66.7, 100}.sentences()),
            (std::vector<std::string>{
                "The score went from 67% to 100%. The rest of the class wasn\u2019t regraded.",
                "3 review answers were kept, where the new scan reads the same.",
                "The new scan reads a different student ID: pick the student in Review.",
                "2 marks on the new scan need a look in Review.",
                "4 other pages were in the file and left out."}));
}

} // namespace
} // namespace ovalon
