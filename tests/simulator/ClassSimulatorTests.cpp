#include "simulator/ClassSimulator.h"

#include "simulator/SampleClass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace ovalon {
namespace {

Exam keyedExam(int questions, int versions) {
  Exam exam = Exam::make(*Uuid::parse("6A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9"), "Quiz", Date{},
                         questions, 5, 6, Paper::letter, 42);
  for (int q = 0; q < questions; ++q)
    exam.setAnswer(q, (q * 3) % 5);
  exam.setVersionCount(versions);
  return exam;
}

TEST(ClassSimulator, madeUpStudentsHaveNamesAndDistinctIDsClearOfTheRoster) {
  const std::vector<Student> roster{{"100001", "Ann", "Roe"}, {"100002", "Bo", "Li"}};
  const auto students = ClassSimulator::madeUpStudents(200, 6, 9, roster);
  ASSERT_EQ(students.size(), 200u);
  std::set<std::string> ids{"100001", "100002"};
  std::set<std::string> names;
  for (const Student &student : students) {
    EXPECT_EQ(student.id.size(), 6u);
    EXPECT_NE(student.id.front(), '0');
    EXPECT_FALSE(student.firstName.empty());
    EXPECT_FALSE(student.lastName.empty());
    ids.insert(student.id);
    names.insert(student.name());
  }
  EXPECT_EQ(ids.size(), 202u);
  EXPECT_EQ(names.size(), 200u);
  EXPECT_EQ(students, ClassSimulator::madeUpStudents(200, 6, 9, roster));
  EXPECT_NE(students, ClassSimulator::madeUpStudents(200, 6, 10, roster));

  EXPECT_EQ(ClassSimulator::madeUpStudents(1, 0, 9)[0].id, "");
  // A one-digit grid has ten IDs; a larger class has to share them.
  EXPECT_EQ(ClassSimulator::madeUpStudents(12, 1, 9).size(), 12u);
}

TEST(ClassSimulator, studentSheetsFollowTheStudentsAndTakeVersionsInTurn) {
  const Exam exam = keyedExam(40, 3);
  const auto students = ClassSimulator::madeUpStudents(7, 6, 1);
  const auto sheets = ClassSimulator::studentSheets(exam, students, 5);
  ASSERT_EQ(sheets.size(), 7u);
  int correct = 0, answered = 0;
  for (size_t i = 0; i < sheets.size(); ++i) {
    const SimulatedSheet &sheet = sheets[i];
    EXPECT_EQ(sheet.version, static_cast<int>(i % 3));
    EXPECT_EQ(sheet.studentID, students[i].id);
    EXPECT_EQ(sheet.name, students[i].name());
    EXPECT_FALSE(sheet.isKey);
    ASSERT_EQ(sheet.answers.size(), 40u);
    const auto key = exam.printedKey(sheet.version);
    for (size_t p = 0; p < 40; ++p) {
      ASSERT_TRUE(sheet.answers[p]);
      EXPECT_GE(*sheet.answers[p], 0);
      EXPECT_LT(*sheet.answers[p], 5);
      correct += key[p].contains(*sheet.answers[p]);
      ++answered;
    }
  }
  // Students of ability 0.5 to 0.98 get most answers right, but not all.
  EXPECT_GT(correct, answered / 2);
  EXPECT_LT(correct, answered);
  EXPECT_EQ(sheets, ClassSimulator::studentSheets(exam, students, 5));
  EXPECT_NE(sheets, ClassSimulator::studentSheets(exam, students, 6));
}

// With shuffled choices a right answer is bubbled where its version prints it, so every
// version's sheets score like a class, not like guesses.
TEST(ClassSimulator, answersAreBubbledInTheVersionsPrintedSlots) {
  Exam exam = keyedExam(60, 1);
  exam.setShuffleChoices(true);
  exam.setVersionCount(3);
  const auto sheets =
      ClassSimulator::studentSheets(exam, ClassSimulator::madeUpStudents(12, 6, 2), 8);
  std::vector<int> correct(3, 0), answered(3, 0);
  for (const SimulatedSheet &sheet : sheets) {
    const auto key = exam.printedKey(sheet.version);
    for (size_t p = 0; p < 60; ++p) {
      correct[static_cast<size_t>(sheet.version)] += key[p].contains(*sheet.answers[p]);
      ++answered[static_cast<size_t>(sheet.version)];
    }
  }
  for (size_t version = 0; version < 3; ++version)
    EXPECT_GT(correct[version], answered[version] / 2) << version;
}

TEST(ClassSimulator, keySheetBubblesTheKeyOnVersionA) {
  Exam exam = keyedExam(12, 2);
  exam.setKey(4, {}, 1, false);
  exam.setKey(7, {1, 3}, 1, false);
  const SimulatedSheet key = ClassSimulator::keySheet(exam);
  EXPECT_TRUE(key.isKey);
  EXPECT_EQ(key.version, 0);
  EXPECT_FALSE(key.studentID);
  EXPECT_FALSE(key.name);
  std::vector<std::optional<int>> expected;
  for (const auto &slots : exam.printedKey(0))
    expected.push_back(slots.empty() ? std::nullopt : std::optional(*slots.begin()));
  EXPECT_EQ(key.answers, expected);
}

// The sample class is drawn the same on every machine: its first student as an independent
// implementation of the draw makes them.
TEST(ClassSimulator, sampleClassFirstSheetIsFixed) {
  const Exam exam = SampleClass::exam(Date{0});
  const SimulatedSheet first = SampleClass::sampleSheets(exam, SampleClass::roster()).at(0);
  EXPECT_EQ(first.version, 0);
  const std::vector<std::optional<int>> expected{1, 2, 0, 3, 0, 2, 1, 2, 0, 1, 2, 0, 3, 1, 2,
                                                 2, 1, 3, 2, 0, 3, 2, 1, 0, 1, 2, 3, 0, 1, 1};
  EXPECT_EQ(first.answers, expected);
}

} // namespace
} // namespace ovalon
