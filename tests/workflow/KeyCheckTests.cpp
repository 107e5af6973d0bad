#include "support/GradingFixtures.h"
#include "workflow/KeyCheck.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

TEST(KeyCheck, checkedAnswersReplaceTheKeyOnlyWhereItDisagrees) {
  Exam exam = fixtures::examWithKey(5, 4, {0, 1, 2});
  exam.setKey(1, {1, 3}, 2, false);
  exam.setKey(4, {}, 1, true);
  int changed = KeyCheck::applyKey(exam, {2, 3, std::nullopt, 4, 1, 0});
  EXPECT_EQ(changed, 2);
  // Q2: 3 is already accepted; Q3: no answer keeps the typed key; Q4: E is not a choice.
  std::vector<std::set<int>> keys;
  for (const QuestionKey &k : exam.key)
    keys.push_back(k.correct);
  EXPECT_EQ(keys, (std::vector<std::set<int>>{{2}, {1, 3}, {2}, {}, {1}}));
  EXPECT_TRUE(exam.key[1].points == 2 && exam.key[4].dropped) << "points and dropping stay";
}

TEST(KeyCheck, onlyCleanReadsOfTheKeySheetCount) {
  Exam exam = fixtures::examWithKey(3, 4, {});
  ScannedKey key;
  key.answers = {{2, 0, fixtures::clearMark(4, 1), 1, 1, {}, false},
                 {0, 1, fixtures::doubleMark(4, 0, 3), std::nullopt, 0, {}, false},
                 {9, 2, fixtures::clearMark(4, 2), 2, 2, {}, false}};
  EXPECT_EQ(KeyCheck::cleanAnswers(key, exam),
            (std::vector<std::optional<int>>{std::nullopt, std::nullopt, 1}));
}

} // namespace
} // namespace ovalon
