#include "grading/Assembly.h"
#include "support/GradingFixtures.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

MarkRead clean(int choice, int choices = 4) {
  return fixtures::clearMark(choices, choice);
}

MarkRead blankRead(int choices = 4) {
  return {std::vector<double>(static_cast<size_t>(choices), 0.01), {}, MarkFlag::blank, {}};
}

std::vector<MarkRead> idColumns(const std::string &text) {
  std::vector<MarkRead> columns;
  for (char c : text)
    columns.push_back(c == ' '   ? blankRead(10)
                      : c == '?' ? MarkRead{std::vector<double>(10, 0.6), {}, MarkFlag::double_, 0}
                                 : clean(c - '0', 10));
  return columns;
}

struct Scan {
  Exam exam;
  std::vector<PageOutcome> pages;

  explicit Scan(int questions, int idDigits = 3)
      : exam(Exam::make(Uuid::random(), "Quiz", Date::now(), questions, 4, idDigits, Paper::letter,
                        1)) {}

  PageOutcome &add(PageOutcome outcome) {
    outcome.source = "scan.pdf";
    outcome.sourcePage = static_cast<int>(pages.size()) + 1;
    pages.push_back(outcome);
    return pages.back();
  }

  PageOutcome &page(int page, std::string id = "", int version = 0) {
    PageOutcome outcome;
    outcome.identity = SheetIdentity{exam.examCode(), version, page, exam.signature(), false};
    int first = (page - 1) * 100;
    for (int p = first; p < std::min(exam.questionCount, page * 100); ++p)
      outcome.questions.push_back({p, clean(p % 4)});
    if (page == 1) {
      outcome.idColumns = idColumns(id);
      outcome.idCrop = Bytes{0xFF, 0xD8, 'i', static_cast<uint8_t>(pages.size())};
    }
    outcome.preview = Bytes{0xFF, 0xD8, static_cast<uint8_t>(pages.size())};
    return add(outcome);
  }

  PageOutcome &unreadable() {
    PageOutcome &outcome = add(PageOutcome());
    outcome.problem = PageProblem::noCode();
    outcome.preview = Bytes{1};
    return outcome;
  }

  AssemblyResult assemble(const std::vector<Student> &roster = {},
                          const std::vector<ScannedSheet> &existing = {}) const {
    return Assembly::assemble(pages, exam, roster, existing);
  }
};

std::vector<FlagKind> kinds(const ScannedSheet &sheet) {
  std::vector<FlagKind> out;
  for (const auto &f : sheet.flags)
    out.push_back(f.kind);
  return out;
}

TEST(Assembly, onePageSheetsAreNumberedAfterTheDocumentsHighest) {
  Scan scan(20);
  for (std::string id : {"101", "102", "103", "104", "105"})
    scan.page(1, id);
  scan.pages[2].questions[4].mark = blankRead();
  scan.pages[2].crops[4] = Bytes{7, 7};
  scan.pages.emplace_back().preview = Bytes{1}; // neither read nor refused: skipped
  ScannedSheet old;
  old.number = 12;
  old.readID = "999";
  AssemblyResult result = scan.assemble({}, {old});
  EXPECT_TRUE(result.issues.empty());
  ASSERT_EQ(result.sheets.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    const ScannedSheet &sheet = result.sheets[static_cast<size_t>(i)];
    EXPECT_EQ(std::tuple(sheet.number, sheet.sourcePages, sheet.marks.size(),
                         result.images.at(sheet.pageImages.at(0))),
              std::tuple(13 + i, std::vector<int>{i + 1}, 20uz,
                         *scan.pages[static_cast<size_t>(i)].preview));
  }
  EXPECT_TRUE(result.sheets[0].flags.empty());
  ASSERT_EQ(result.sheets[2].flags.size(), 1u);
  const ReviewFlag &flag = result.sheets[2].flags[0];
  EXPECT_EQ(flag, (ReviewFlag{flag.id, FlagKind::blank, 4, Bytes{7, 7}, blankRead().fills,
                              std::nullopt, "No bubble is filled.", std::nullopt}));
}

// A 150-question test: a later page joins the open sheet of its version; what can't join
// is an issue, and a sheet without its page 2 is flagged.
TEST(Assembly, laterPagesJoinTheOpenSheetOfTheirVersion) {
  struct Case {
    std::vector<std::pair<int, int>> pages;          // page and version; page 0 is unreadable
    std::vector<std::vector<int>> sourcePages;       // of each sheet
    std::vector<std::vector<FlagKind>> flags;        // of each sheet
    std::vector<std::pair<int, std::string>> issues; // source page and title
  };
  const auto missing = FlagKind::missingPage;
  const std::string orphan = "Page 2 without page 1";
  // A page 2 twice; two first pages; an unreadable page between; page 2 of another version.
  const std::vector<Case> cases{
      {{{1, 0}, {2, 0}, {2, 0}}, {{1, 2}}, {{}}, {{3, orphan}}},
      {{{1, 0}, {1, 0}, {2, 0}, {2, 0}}, {{1}, {2, 3}}, {{missing}, {}}, {{4, orphan}}},
      {{{1, 0}, {0, 0}, {2, 0}}, {{1, 3}}, {{}}, {{2, "No Ovalon code found"}}},
      {{{1, 0}, {2, 1}}, {{1}}, {{missing}}, {{2, orphan}}},
  };
  for (size_t n = 0; n < cases.size(); ++n) {
    const Case &c = cases[n];
    SCOPED_TRACE(n);
    Scan scan(150);
    for (auto [page, version] : c.pages)
      page
          ? (void)scan.page(page, page == 1 ? std::to_string(111 + scan.pages.size()) : "", version)
          : (void)scan.unreadable();
    AssemblyResult result = scan.assemble();
    ASSERT_EQ(result.sheets.size(), c.sourcePages.size());
    for (size_t i = 0; i < result.sheets.size(); ++i) {
      const ScannedSheet &sheet = result.sheets[i];
      EXPECT_EQ(sheet.sourcePages, c.sourcePages[i]);
      EXPECT_EQ(kinds(sheet), c.flags[i]);
      EXPECT_EQ(sheet.marks[120], sheet.sourcePages.size() == 2 ? clean(0) : MarkRead::empty(4));
      if (!sheet.flags.empty()) {
        EXPECT_EQ(sheet.flags[0].note, "Page 2 wasn't in the scan. Accept it with those answers "
                                       "blank, or leave the sheet out.");
      }
    }
    std::vector<std::pair<int, std::string>> issues;
    for (const ScanIssue &issue : result.issues) {
      issues.emplace_back(issue.sourcePage, issue.title());
      EXPECT_TRUE(issue.image);
    }
    EXPECT_EQ(issues, c.issues);
    // Each page's picture, and each sheet's picture of its ID bubbles.
    EXPECT_EQ(result.images.size(), c.pages.size() + result.sheets.size());
  }
}

TEST(Assembly, eachPageKeepsItsCornerMethodOnTheSheet) {
  Scan scan(150);
  scan.page(1).method = CornerMethod::vision;
  scan.page(2).method = CornerMethod::threeCorners;
  scan.page(1, "111");
  const auto result = scan.assemble();
  ASSERT_EQ(result.sheets.size(), 2u);
  EXPECT_EQ(result.sheets[0].cornerMethods, (std::vector<std::optional<CornerMethod>>{
                                                CornerMethod::vision, CornerMethod::threeCorners}));
  EXPECT_EQ(result.sheets[1].cornerMethods, std::vector<std::optional<CornerMethod>>{std::nullopt});
}

TEST(Assembly, idFlagsForMissingUnclearUnlistedAndDuplicateIDs) {
  Scan scan(10, 6);
  for (std::string id : {"      ", " 1 23 ", "000555", "00123", "123"})
    scan.page(1, id);
  std::vector<Student> roster{{"123", "Ada", "Lovelace"}, {"777", "Alan", "Turing"}};
  AssemblyResult result = scan.assemble(roster);
  ASSERT_EQ(result.sheets.size(), 5u);
  std::vector<std::string> ids, notes;
  for (const ScannedSheet &sheet : result.sheets) {
    ids.push_back(sheet.readID);
    notes.push_back(kinds(sheet).empty() || kinds(sheet)[0] != FlagKind::studentID
                        ? "none"
                        : sheet.flags[0].note);
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"", "1?23", "000555", "00123", "123"}));
  EXPECT_EQ(notes, (std::vector<std::string>{
                       "No student ID is filled in.", "Some ID digits are unclear (1?23).",
                       "ID 000555 isn't on the roster.", "none", "ID 123 is also on sheet 4."}));
}

TEST(Assembly, testWithoutIDBubblesAsksForTheStudentOnlyWithARoster) {
  Scan scan(10, 0);
  scan.page(1);
  EXPECT_TRUE(scan.assemble().sheets[0].flags.empty());
  auto flagged = scan.assemble({{"1", "A", "B"}}).sheets[0];
  ASSERT_EQ(kinds(flagged), std::vector<FlagKind>{FlagKind::studentID});
  EXPECT_EQ(flagged.flags[0].note, "This test has no ID bubbles. Pick the student.");
}

TEST(Assembly, flagsOrderIDFirstThenMarksThenMissingPage) {
  Scan scan(150, 3);
  scan.page(1, "   ");
  scan.pages[0].questions[3].mark = blankRead();
  AssemblyResult result = scan.assemble();
  EXPECT_EQ(kinds(result.sheets[0]),
            (std::vector<FlagKind>{FlagKind::studentID, FlagKind::blank, FlagKind::missingPage}));
}

TEST(Assembly, markNotesNameSlotsStrongestFirst) {
  EXPECT_EQ(Assembly::markNote(MarkFlag::double_, {0.5, 0.7, 0.3, 0}),
            "B and A and C are both marked.");
  EXPECT_EQ(Assembly::markNote(MarkFlag::double_, {0.1, 0.15}), "More than one bubble is marked.");
  EXPECT_EQ(Assembly::markNote(MarkFlag::faint, {0.1, 0.05, 0.19}), "Only a light mark.");
  EXPECT_EQ(Assembly::markNote(MarkFlag::blank, {0, 0}), "No bubble is filled.");
}

// A student picked by hand who already has a sheet: the clash is an open item
// until it goes (or is accepted).
TEST(Assembly, aPickedStudentWithAnEarlierSheetRaisesAnItemUntilTheClashGoes) {
  Scan scan(10, 6);
  scan.page(1, "42");
  scan.page(1, "");
  std::vector<Student> roster{{"42", "Grace", "Hopper"}};
  std::vector<ScannedSheet> sheets = scan.assemble(roster).sheets;
  sheets[1].flags[0].resolution = Resolution::student("42");

  auto refreshed = Assembly::refreshIDFlags(sheets, scan.exam, roster);
  ASSERT_EQ(kinds(refreshed[1]), (std::vector<FlagKind>{FlagKind::studentID, FlagKind::studentID}));
  EXPECT_EQ(refreshed[1].flags[1].note, "ID 42 is also on sheet 1.");
  EXPECT_EQ(refreshed[1].openFlags().size(), 1u);
  EXPECT_EQ(refreshed[1].studentID(), "42") << "the decision still stands";
  auto again = Assembly::refreshIDFlags(refreshed, scan.exam, roster);
  EXPECT_EQ(again[1].flags, refreshed[1].flags) << "the clash keeps its id";

  again[1].flags[1].resolution = Resolution::accept();
  EXPECT_EQ(Assembly::refreshIDFlags(again, scan.exam, roster)[1].flags, again[1].flags)
      << "an accepted clash stays accepted";

  refreshed[0].excluded = true;
  EXPECT_EQ(Assembly::refreshIDFlags(refreshed, scan.exam, roster)[1].flags.size(), 1u)
      << "the clash went with the other sheet";
}

TEST(CornerMethods, placementNoteNamesThePagesPlacedFromThreeSquares) {
  using Methods = std::vector<std::optional<CornerMethod>>;
  const auto three = CornerMethod::threeCorners;
  const std::vector<std::tuple<std::vector<int>, Methods, std::optional<std::string>>> cases{
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
  for (const auto &[sourcePages, methods, note] : cases) {
    ScannedSheet sheet;
    sheet.sourcePages = sourcePages;
    sheet.cornerMethods = methods;
    EXPECT_EQ(sheet.placementNote(), note) << sourcePages.size() << " pages";
  }
}

} // namespace
} // namespace ovalon
