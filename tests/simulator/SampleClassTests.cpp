#include "simulator/SampleClass.h"

#include "model/Choices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace ovalon {
namespace {

const Exam sampleExam = SampleClass::exam(Date{800'000'000});
const Roster sampleRoster = SampleClass::roster();

TEST(SampleClass, rosterIsTheTwentySixStudentsOfPeriodThreeBiology) {
  ASSERT_EQ(sampleRoster.students.size(), 26u);
  EXPECT_EQ(sampleRoster.sourceName, "Period 3 Biology.csv");
  EXPECT_EQ(sampleRoster.students.front(), (Student{"204501", "Avery", "Brooks"}));
  EXPECT_EQ(sampleRoster.students[12], (Student{"204513", "Lena", "Moss"}));
  EXPECT_EQ(sampleRoster.students.back(), (Student{"204526", "Silas", "Boyd"}));
  std::set<std::string> ids;
  for (const Student &student : sampleRoster.students)
    ids.insert(student.id);
  EXPECT_EQ(ids.size(), 26u);
}

TEST(SampleClass, testIsKeyedThirtyQuestionsInTwoVersions) {
  EXPECT_EQ(sampleExam.id.text(), "3C9E51A0-7B42-4D1E-9A6F-2B8D4E7C1A05");
  EXPECT_EQ(sampleExam.title, "Sample Class: Cells & Organelles");
  EXPECT_EQ(sampleExam.created.sinceReferenceDate, 800'000'000 - 259'200);
  EXPECT_EQ(sampleExam.signature(), (LayoutSignature{30, 4, 6, Paper::letter}));
  EXPECT_EQ(sampleExam.seed, 20261001u);
  ASSERT_EQ(sampleExam.versions.size(), 2u);
  std::string key;
  for (size_t q = 0; q < sampleExam.key.size(); ++q) {
    if (q % 5 == 0 && q > 0)
      key += ' ';
    key += Choices::text(sampleExam.key[q].correct);
  }
  EXPECT_EQ(key, "BCADA DBCAB CADBC ABDCA DCBAB CDABD");
}

TEST(SampleClass, sheetsFollowTheSortedRosterWithAlternatingVersions) {
  const auto sheets = SampleClass::sampleSheets(sampleExam, sampleRoster);
  const auto sorted = sampleRoster.sorted();
  ASSERT_EQ(sheets.size(), 26u);
  for (size_t i = 0; i < sheets.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sheets[i].version, static_cast<int>(i % 2));
    EXPECT_EQ(sheets[i].name, sorted[i].name());
    EXPECT_EQ(sheets[i].nameFont, "Humor Sans");
    EXPECT_EQ(sheets[i].nameSize, 14);
    EXPECT_FALSE(sheets[i].isKey);
    ASSERT_EQ(sheets[i].answers.size(), 30u);
    for (const auto &answer : sheets[i].answers)
      EXPECT_TRUE(!answer || (*answer >= 0 && *answer < 4));
  }
  EXPECT_EQ(sheets[0].name, "Miles Archer");
  EXPECT_EQ(sheets[25].name, "Felix Ward");
}

// Where the irregularities read is checked on the scan; here, that they are the only ones and
// the unknown ID is unknown.
TEST(SampleClass, irregularitiesSitOnTheirStudentsOnly) {
  const auto sheets = SampleClass::sampleSheets(sampleExam, sampleRoster);
  const auto sorted = sampleRoster.sorted();
  EXPECT_EQ(sheets[21].studentID, "204599");
  EXPECT_FALSE(sampleRoster.student("204599").has_value());
  int blanks = 0;
  for (size_t i = 0; i < sheets.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sheets[i].styles.empty(), i != 2 && i != 14);
    EXPECT_EQ(sheets[i].extras.size(), i == 6 || i == 18 ? 1u : 0u);
    EXPECT_EQ(sheets[i].idStyle == PencilMark::solid, i != 23);
    if (i != 21) {
      EXPECT_EQ(sheets[i].studentID, sorted[i].id);
    }
    blanks += static_cast<int>(std::ranges::count(sheets[i].answers, std::optional<int>{}));
  }
  EXPECT_EQ(blanks, 1);
}

} // namespace
} // namespace ovalon
