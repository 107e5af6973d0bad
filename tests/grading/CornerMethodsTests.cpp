#include "grading/Assembly.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

const Exam exam = Exam::make(Uuid::random(), "Quiz", Date::now(), 150, 4, 0, Paper::letter, 1);

PageOutcome readPage(int sourcePage, int page, std::optional<CornerMethod> method) {
  PageOutcome outcome;
  outcome.source = "scan.pdf";
  outcome.sourcePage = sourcePage;
  outcome.identity = SheetIdentity{exam.examCode(), 0, page, exam.signature(), false};
  for (int p = (page - 1) * 100; p < std::min(exam.questionCount, page * 100); ++p)
    outcome.questions.push_back({p, MarkRead::empty(4)});
  outcome.method = method;
  return outcome;
}

TEST(CornerMethods, eachPageKeepsItsMethodOnTheSheet) {
  const auto result =
      Assembly::assemble({readPage(1, 1, CornerMethod::vision),
                          readPage(2, 2, CornerMethod::threeCorners), readPage(3, 1, std::nullopt)},
                         exam, {}, {});
  ASSERT_EQ(result.sheets.size(), 2u);
  EXPECT_EQ(result.sheets[0].cornerMethods, (std::vector<std::optional<CornerMethod>>{
                                                CornerMethod::vision, CornerMethod::threeCorners}));
  EXPECT_EQ(result.sheets[1].cornerMethods, std::vector<std::optional<CornerMethod>>{std::nullopt});
}

TEST(CornerMethods, placementNoteNamesThePagesPlacedFromThreeSquares) {
  using Methods = std::vector<std::optional<CornerMethod>>;
  struct Case {
    std::vector<int> sourcePages;
    Methods methods;
    std::optional<std::string> note;
  };
  const auto three = CornerMethod::threeCorners;
  const std::vector<Case> cases{
      {{4}, {CornerMethod::vision}, std::nullopt},
      {{4}, {}, std::nullopt},
      {{4}, {three}, "A corner square was missing, so the page was placed from the other three."},
      {{4, 5},
       {CornerMethod::blobs, three},
       "A corner square was missing on scan page 5, so that page was placed from the other three."},
      {{4, 5, 9},
       {three, std::nullopt, three},
       "A corner square was missing on scan pages 4 and 9, so those pages were placed from the "
       "other three."},
  };
  for (const Case &c : cases) {
    ScannedSheet sheet;
    sheet.sourcePages = c.sourcePages;
    sheet.cornerMethods = c.methods;
    EXPECT_EQ(sheet.placementNote(), c.note) << c.sourcePages.size() << " pages";
  }
}

} // namespace
} // namespace ovalon
