#include "scanning/NameMatcher.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using Strength = NameMatch::Strength;

NameRead reading(std::string text, std::vector<std::string> alternatives = {}) {
  return NameRead{std::move(text), std::move(alternatives), 0.9};
}

const Student john{"1", "John", "Smith"};

double scoreOf(const std::string &text, const Student &student) {
  auto matches = NameMatcher::match(reading(text), {student}, 1);
  return matches.empty() ? 0.0 : matches[0].score;
}

std::vector<std::string> ids(const std::vector<NameMatch> &matches) {
  std::vector<std::string> out;
  for (const NameMatch &match : matches)
    out.push_back(match.student.id);
  return out;
}

TEST(NameMatcherNormalize, foldsAndReadsLookAlikeDigitsAsLetters) {
  using NameMatcher::normalizeName;
  EXPECT_EQ(normalizeName("5mith"), "smith");
  EXPECT_EQ(normalizeName("5m1th"), "smlth");
  EXPECT_EQ(normalizeName("|ee 80b J0"), "lee bob jo");
  EXPECT_EQ(normalizeName("  O'Brien-Smith,  José. "), "obrien smith jose");
  EXPECT_EQ(normalizeName("Ann_Lee\u00A0\u00C5BERG"), "ann lee aberg");
  EXPECT_EQ(normalizeName("\uFF2A\uFF2F\uFF28\uFF2E"), "john"); // full-width letters
  EXPECT_EQ(normalizeName("Ann2 7"), "ann");
  EXPECT_EQ(normalizeName("李 明"), "李 明");
  EXPECT_EQ(normalizeName("-- 2 --"), "");
}

// Name forms and their weights; spaces may be missing or extra, distances count characters
// rather than bytes, and one-name students match on the name they have.
TEST(NameMatcherScore, nameFormsAndTheirWeights) {
  const Student cher{"2", "Cher", ""}, madonna{"3", "", "Madonna"}, li{"5", "明", "李"};
  const std::vector<std::tuple<std::string, Student, double>> cases{
      {"John Smith", john, 1.0},
      {"Smith John", john, 1.0},
      {"J Smith", john, 0.9},
      {"John S.", john, 0.9},
      {"JOHN", john, 0.85},
      {"5mith", john, 0.8},
      {"5m1th", john, 0.8 * (1 - 1.0 / 5)},
      {"JohnSmith", john, 1.0},
      {"Jo hn Smith", john, 1.0},
      {"Jon Smith", john, 0.9},
      {"Cher", cher, 1.0},
      {"Madonna", madonna, 1.0},
      {"李明", li, 1.0},
      {"Zoe Aberg", Student{"6", "Zoë", "Åberg"}, 1.0},
      // One of two characters wrong is 0.5, below the cut; counted in bytes it would pass.
      {"李朋", li, 0.0},
      {"", john, 0.0},
  };
  for (const auto &[text, student, score] : cases)
    EXPECT_DOUBLE_EQ(scoreOf(text, student), score) << text;
  EXPECT_TRUE(NameMatcher::match(reading("Ann"), {Student{"4", "", ""}}, 3).empty());
}

TEST(NameMatcherReadings, alternativesAreTriedAndShortReadingsIgnored) {
  EXPECT_TRUE(NameMatcher::match(reading("J"), {john}, 3).empty());
  EXPECT_TRUE(NameMatcher::match(reading("J.", {"5", "-"}), {john}, 3).empty());
  auto matches =
      NameMatcher::match(reading("Jahn Snith", {"John Snith", "Jahn Smith", "J"}), {john}, 3);
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_DOUBLE_EQ(matches[0].score, 0.9);
  EXPECT_TRUE(NameMatcher::match(std::nullopt, {john}, 3).empty());
  EXPECT_TRUE(NameMatcher::match(reading("John Smith"), {}, 3).empty());
  EXPECT_TRUE(NameMatcher::match(reading("John Smith"), {john}, 0).empty());
}

TEST(NameMatcherRanking, bestFirstWithinLimitAndAboveCut) {
  std::vector<Student> roster{{"1", "Ava", "Brown"},  {"2", "John", "Smyth"},
                              {"3", "John", "Smith"}, {"4", "Jon", "Smithers"},
                              {"5", "Zed", "Quinn"},  {"6", "Johanna", "Smith"}};
  auto matches = NameMatcher::match(reading("John Smith"), roster, 10);
  EXPECT_EQ(ids(matches), (std::vector<std::string>{"3", "2", "6", "4"}));
  for (const NameMatch &match : matches)
    EXPECT_GE(match.score, 0.55);
  for (size_t i = 1; i < matches.size(); ++i)
    EXPECT_GE(matches[i - 1].score, matches[i].score);
  EXPECT_EQ(ids(NameMatcher::match(reading("John Smith"), roster, 2)),
            (std::vector<std::string>{"3", "2"}));
}

TEST(NameMatcherRanking, tiesGoBySortNameCaselessly) {
  std::vector<Student> roster{{"1", "Bo", "Lee"}, {"2", "ann", "lee"}, {"3", "Cy", "Lee"}};
  auto matches = NameMatcher::match(reading("Lee"), roster, 3);
  ASSERT_EQ(matches.size(), 3u);
  EXPECT_EQ(ids(matches), (std::vector<std::string>{"2", "1", "3"}));
  EXPECT_DOUBLE_EQ(matches[0].score, 0.8);
  EXPECT_DOUBLE_EQ(matches[2].score, 0.8);
}

TEST(NameMatcherStrength, likelyOnlyForAClearStrongLeader) {
  // Alone and strong.
  auto alone = NameMatcher::match(reading("Smith John"), {john}, 3);
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_EQ(alone[0].strength, Strength::likely);

  // Strong but only 0.1 ahead (1.0 against 0.9): both possible.
  std::vector<Student> close{john, {"2", "John", "Smyth"}};
  auto twoClose = NameMatcher::match(reading("John Smith"), close, 3);
  ASSERT_EQ(twoClose.size(), 2u);
  EXPECT_DOUBLE_EQ(twoClose[1].score, 0.9);
  EXPECT_EQ(twoClose[0].strength, Strength::possible);
  EXPECT_EQ(twoClose[1].strength, Strength::possible);

  // The runner-up counts even when the limit leaves it out.
  auto limited = NameMatcher::match(reading("John Smith"), close, 1);
  ASSERT_EQ(limited.size(), 1u);
  EXPECT_EQ(limited[0].strength, Strength::possible);

  // Far ahead: likely, the rest possible.
  std::vector<Student> apart{john, {"3", "Jon", "Smithers"}};
  auto twoApart = NameMatcher::match(reading("John Smith"), apart, 3);
  ASSERT_EQ(twoApart.size(), 2u);
  EXPECT_LE(twoApart[1].score, 0.88);
  EXPECT_EQ(twoApart[0].strength, Strength::likely);
  EXPECT_EQ(twoApart[1].strength, Strength::possible);

  // Alone but weak (0.64): possible.
  auto weak = NameMatcher::match(reading("5m1th"), {john}, 3);
  ASSERT_EQ(weak.size(), 1u);
  EXPECT_EQ(weak[0].strength, Strength::possible);
}

TEST(NameMatcherStrength, leadOfExactlyTheMarginIsEnough) {
  // 1.0 against 0.88: "abcdefghijklmnopqrstuvwxy" with three letters changed (3/25 = 0.12).
  Student exact{"1", "", "abcdefghijklmnopqrstuvwxy"};
  Student near{"2", "", "abcdefghijklmnopqrstuvZZZ"};
  auto matches = NameMatcher::match(reading("abcdefghijklmnopqrstuvwxy"), {near, exact}, 3);
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_DOUBLE_EQ(matches[1].score, 0.88);
  EXPECT_EQ(matches[0].student.id, "1");
  EXPECT_EQ(matches[0].strength, Strength::likely);
}

} // namespace
} // namespace ovalon
