#include "model/Choices.h"
#include "model/Exam.h"

#include <gtest/gtest.h>

#include <numeric>

namespace ovalon {
namespace {

Exam makeExam(int questions = 20, int choices = 4, uint64_t seed = 42) {
  return Exam::make(Uuid::random(), "Quiz", Date::now(), questions, choices, 6, Paper::letter,
                    seed);
}

TEST(ExamDefaults, newTestHasDefaultKeyIdentityVersionAndHexExamCode) {
  Exam exam = Exam::untitled();
  std::vector<int> identity(20);
  std::iota(identity.begin(), identity.end(), 0);
  EXPECT_EQ(std::tuple(exam.title, exam.key, exam.unkeyedQuestions(), exam.pageCount()),
            std::tuple(std::string("Untitled Test"), std::vector<QuestionKey>(20), identity, 1));
  EXPECT_EQ(exam.versions, (std::vector<ExamVersion>{{0, identity, std::nullopt}}));
  EXPECT_EQ(exam.signature().summary(), "20 questions, A\u2013D, 6-digit ID, US Letter");
  exam.id = *Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
  EXPECT_EQ(exam.examCode(), "E621E1F8");
  EXPECT_EQ(exam.id.text(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
}

TEST(ExamClamping, countsAreClampedNeverRejected) {
  Exam exam = makeExam();
  const auto counts = [&] {
    return std::tuple(exam.questionCount, exam.key.size(), exam.choiceCount, exam.idDigits,
                      exam.versions.size(), exam.key[0].points);
  };
  for (auto [questions, choices, digits, versions, points, expected] :
       {std::tuple{0, 6, 11, 9, 250.0, std::tuple(1, 1uz, 5, 10, 4uz, 100.0)},
        {500, 1, -3, 0, -1.0, std::tuple(200, 200uz, 2, 0, 1uz, 0.0)}}) {
    exam.setQuestionCount(questions);
    exam.setChoiceCount(choices);
    exam.setIDDigits(digits);
    exam.setVersionCount(versions);
    exam.setKey(0, {0}, points, false);
    EXPECT_EQ(counts(), expected);
  }
  EXPECT_EQ(exam.pageCount(), 2);
  // Titles keep at most 1000 characters, however many bytes those take.
  auto titled = [](std::string title) {
    return Exam::make(Uuid::random(), title, Date{}, 5, 4, 0, Paper::letter, 1).title;
  };
  EXPECT_EQ(titled(std::string(1000, 'x')), std::string(1000, 'x'));
  std::string accents;
  for (int i = 0; i < 1001; ++i)
    accents += "\u00E9";
  EXPECT_EQ(titled(accents), accents.substr(0, 2000));
}

TEST(ExamClamping, growingKeepsKeysAndLoweringChoicesTrimsThem) {
  Exam exam = makeExam(20, 5);
  exam.setKey(3, {4}, 2, false);
  exam.setKey(4, {0, 3}, 1, false);
  exam.setQuestionCount(25);
  EXPECT_EQ(std::pair(exam.key.size(), exam.key[3].correct), std::pair(25uz, std::set<int>{4}));
  EXPECT_EQ(exam.key[24], QuestionKey{});
  exam.setChoiceCount(3);
  EXPECT_EQ(std::pair(exam.key[3].correct, exam.key[4].correct),
            std::pair(std::set<int>{}, std::set<int>{0}));
  EXPECT_EQ(std::pair(exam.unkeyedQuestions().size(), exam.unkeyedQuestions()[3]),
            std::pair(24uz, 3)); // all but Q5
}

TEST(ExamKey, keyOperationsIgnoreOutOfRangeQuestionsAndChoicesAndKeyTextSkipsNonLetters) {
  Exam exam = makeExam(5, 4);
  Exam before = exam;
  exam.setKey(5, {1}, 1, false);
  exam.setKey(-1, {1}, 1, false);
  exam.setAnswer(7, 1);
  EXPECT_EQ(exam, before);
  exam.setKey(0, {1, 4, -1}, 1, false);
  exam.setAnswer(1, 9);
  exam.setAnswer(2, 9);
  exam.setAnswer(2, 2);
  const auto keyText = [](const Exam &e) {
    std::vector<std::string> texts;
    for (const QuestionKey &k : e.key)
      texts.push_back(Choices::text(k.correct));
    return texts;
  };
  EXPECT_EQ(keyText(exam), (std::vector<std::string>{"B", "", "C", "", ""}));
  EXPECT_EQ(exam.applyKeyText("bcad a", 0), 5);
  EXPECT_EQ(keyText(exam), (std::vector<std::string>{"B", "C", "A", "D", "A"}));
  Exam other = makeExam(3, 4);
  EXPECT_EQ(other.applyKeyText("AEB C D", 0), 2);
  EXPECT_EQ(keyText(other), (std::vector<std::string>{"A", "", "B"}));
}

TEST(ExamVersions, sameSeedGivesSameVersionsAndGrowingMatchesRegenerating) {
  Exam a = makeExam(30, 4, 123);
  a.setShuffleChoices(true);
  Exam b = a;
  a.regenerateVersions(4);
  b.setVersionCount(4);
  EXPECT_EQ(a.versions, b.versions);
  EXPECT_EQ(
      std::pair(a.versions[0].choiceOrder.has_value(), a.versions[3].choiceOrder.value().size()),
      std::pair(false, 30uz));
  EXPECT_NE(a.versions[1].order, a.versions[2].order);
}

// Version B of a 30-question test, as an independent implementation of the shuffle draws it.
TEST(ExamVersions, aSeedGivesTheSameOrdersEverywhere) {
  const std::vector<int> versionB{6,  26, 19, 16, 4,  11, 10, 21, 9,  13, 20, 8,  1,  3,  2,
                                  22, 27, 0,  5,  12, 7,  28, 23, 17, 14, 25, 15, 18, 29, 24};
  EXPECT_EQ(ExamVersion::generate(1, 30, 4, false, 20261001).order, versionB);
}

TEST(ExamVersions, atMostAThirdOfTheQuestionsStayInPlace) {
  for (int questions : {4, 12})
    for (uint64_t seed = 0; seed < 200; ++seed) {
      ExamVersion v = ExamVersion::generate(1, questions, 4, false, seed);
      int fixed = 0;
      for (size_t p = 0; p < v.order.size(); ++p)
        fixed += v.order[p] == static_cast<int>(p);
      EXPECT_LE(fixed, questions / 3) << questions << " questions, seed " << seed;
    }
}

TEST(ExamVersions, settingsThatVersionsDependOnRegenerateThem) {
  Exam exam = makeExam(10, 4, 9);
  exam.setVersionCount(2);
  ASSERT_TRUE(exam.setOrder({10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 1));
  Exam typed = exam;
  exam.setIDDigits(4);
  EXPECT_EQ(exam.versions, typed.versions);
  exam.setShuffleChoices(true);
  EXPECT_TRUE(exam.versions[1].order != typed.versions[1].order && exam.versions[1].choiceOrder);
  const uint64_t oldSeed = exam.seed;
  exam.reshuffle();
  EXPECT_TRUE(exam.seed != oldSeed && exam.versions.size() == 2);
}

TEST(ExamVersions, setOrderValidatesTypedOrders) {
  Exam exam = makeExam(4, 4);
  exam.setShuffleChoices(true);
  exam.setVersionCount(2);
  const auto refusal = [&](std::vector<int> order, int version) {
    auto set = exam.setOrder(std::move(order), version);
    return set ? std::string() : set.error().description();
  };
  EXPECT_EQ(refusal({1, 2, 3, 4}, 0), "Version A is always in master order.");
  EXPECT_FALSE(exam.setOrder({1, 2, 3, 4}, 2));
  Exam before = exam;
  EXPECT_EQ(refusal({1, 2, 2, 4}, 1),
            "Type each question number from 1 to 4 once, in the order version prints them.");
  EXPECT_FALSE(exam.setOrder({1, 2, 3}, 1) || exam.setOrder({0, 1, 2, 3}, 1));
  EXPECT_EQ(exam, before);
  ASSERT_TRUE(exam.setOrder({4, 3, 2, 1}, 1));
  EXPECT_EQ(exam.versions[1], (ExamVersion{1, {3, 2, 1, 0}, std::nullopt}));
}

TEST(ExamVersions, printedKeyMapsThroughOrderAndChoiceOrder) {
  Exam exam = makeExam(2, 3);
  exam.setKey(0, {0}, 1, false);
  exam.setKey(1, {1, 2}, 1, false);
  exam.versions.push_back({1, {1, 0}, std::vector<std::vector<int>>{{2, 0, 1}, {1, 2, 0}}});
  // Master Q2 = {B, C} at slots 2 (B) and 0 (C); master Q1 = A sits in slot 2.
  EXPECT_EQ(exam.printedKey(1), (std::vector<std::set<int>>{{0, 2}, {2}}));
  EXPECT_TRUE(exam.printedKey(5).empty());
  const ExamVersion &v = exam.versions[1];
  EXPECT_EQ(std::tuple(v.printedChoice(0, 1), v.masterChoice(2, 1), v.masterChoice(-1, 1)),
            std::tuple(2, 0, -1));
  EXPECT_EQ(std::pair(v.position(0), v.position(9)), std::pair(1, 0));
}

} // namespace
} // namespace ovalon
