#include "scanning/KeyScan.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

MarkRead cleanMark(int slot, int choices) {
  std::vector<double> fills(static_cast<size_t>(choices), 0.03);
  fills[static_cast<size_t>(slot)] = 0.97;
  return {fills, slot, {}, slot};
}

struct KeyScanFixture {
  Exam exam;
  std::vector<PageOutcome> pages;

  KeyScanFixture(int questions, int versions = 1, bool shuffle = false)
      : exam(Exam::make(Uuid::random(), "Key", Date::now(), questions, 3, 4, Paper::letter, 5)) {
    exam.setShuffleChoices(shuffle);
    exam.setVersionCount(versions);
  }

  // A page of the key sheet for `version` with slot (position % 3) filled.
  PageOutcome &page(int page, int version = 0) {
    PageOutcome outcome;
    outcome.source = "key.pdf";
    outcome.sourcePage = static_cast<int>(pages.size()) + 1;
    outcome.identity = SheetIdentity{exam.examCode(), version, page, exam.signature(), true};
    for (int p = (page - 1) * 100; p < std::min(exam.questionCount, page * 100); ++p)
      outcome.questions.push_back({p, cleanMark(p % 3, 3)});
    outcome.preview = Bytes{static_cast<uint8_t>(pages.size())};
    pages.push_back(outcome);
    return pages.back();
  }

  PageOutcome &problem(PageProblem problem) {
    PageOutcome outcome;
    outcome.source = "key.pdf";
    outcome.sourcePage = static_cast<int>(pages.size()) + 1;
    outcome.problem = problem;
    pages.push_back(outcome);
    return pages.back();
  }
};

TEST(KeyScan, blankScanExplainsWhyNoKeyWasRead) {
  KeyScanFixture scan(10);
  scan.problem(PageProblem::noCode());
  auto key = KeyScan::readKey(scan.pages, scan.exam);
  ASSERT_FALSE(key);
  EXPECT_EQ(key.error().description(),
            "The answer key couldn\u2019t be read. No Ovalon code found: If this is an answer "
            "sheet, rescan it, or grade it as a version you choose.");
  EXPECT_EQ(KeyScan::readKey({}, scan.exam).error().description(),
            "The scan has no answer sheet for this test.");
  KeyScanFixture other(10);
  other.problem(PageProblem::otherExam("DEADBEEF"));
  EXPECT_EQ(KeyScan::readKey(other.pages, other.exam).error().problem,
            PageProblem::otherExam("DEADBEEF"));
}

TEST(KeyScan, versionTheTestNoLongerHasIsNoSheet) {
  KeyScanFixture scan(10, 1);
  scan.page(1, 2);
  auto key = KeyScan::readKey(scan.pages, scan.exam);
  ASSERT_FALSE(key);
  EXPECT_FALSE(key.error().problem);
}

TEST(KeyScan, missingSecondPageLeavesItsQuestionsMissing) {
  KeyScanFixture scan(150);
  scan.page(1);
  auto key = KeyScan::readKey(scan.pages, scan.exam);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->missingPages, std::vector<int>{2});
  ASSERT_EQ(key->answers.size(), 150u);
  EXPECT_FALSE(key->answers[99].missing);
  EXPECT_EQ(key->answers[99].choice, 0);
  EXPECT_TRUE(key->answers[100].missing);
  EXPECT_EQ(key->answers[100].mark, MarkRead::empty(3));
  EXPECT_EQ(KeyScan::note(key->answers[100]), "Its page of the key sheet wasn\u2019t in the scan.");
  EXPECT_EQ(KeyScan::note(key->answers[0]), "");
}

TEST(KeyScan, shuffledVersionMapsBackToMasterQuestionsAndChoices) {
  KeyScanFixture scan(12, 2, true);
  scan.page(1, 1);
  const ExamVersion &b = scan.exam.versions[1];
  auto key = KeyScan::readKey(scan.pages, scan.exam);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->version, 1);
  for (int q = 0; q < 12; ++q) {
    const KeyRead &read = key->answers[static_cast<size_t>(q)];
    int p = b.position(q);
    EXPECT_EQ(read.question, q);
    EXPECT_EQ(read.position, p);
    EXPECT_EQ(read.choice, (*b.choiceOrder)[static_cast<size_t>(p)][static_cast<size_t>(p % 3)]);
    EXPECT_EQ(read.suggestion, read.choice);
  }
}

TEST(KeyScan, secondSheetAndRepeatedPagesAreExtra) {
  KeyScanFixture scan(10);
  scan.problem(PageProblem::noMarks());
  scan.page(1);
  scan.page(1);
  scan.page(1);
  auto key = KeyScan::readKey(scan.pages, scan.exam);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->sourcePages, std::vector<int>{2});
  EXPECT_EQ(key->extraSheets, 2);
  EXPECT_EQ(key->preview, scan.pages[1].preview);
}

TEST(KeyScan, notesNameTheMarkedLettersStrongestFirst) {
  KeyRead read;
  read.mark = {{0.6, 0.1, 0.9}, {}, MarkFlag::double_, 2};
  EXPECT_EQ(KeyScan::note(read), "C and A are both marked.");
  read.mark = {{0.1, 0.3, 0.0}, {}, MarkFlag::faint, 1};
  EXPECT_EQ(KeyScan::note(read), "Only a light mark on B.");
  read.mark = {{0.1, 0.1, 0.0}, {}, MarkFlag::faint, 0};
  EXPECT_EQ(KeyScan::note(read), "Only a light mark.");
  read.mark = MarkRead::empty(3);
  EXPECT_EQ(KeyScan::note(read), "No bubble is filled on the key.");
  read.mark = {{0.15, 0.12, 0.0}, {}, MarkFlag::double_, 0};
  EXPECT_EQ(KeyScan::note(read), "More than one bubble is marked.");
}

} // namespace
} // namespace ovalon
