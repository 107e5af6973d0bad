#include "model/Roster.h"
#include "model/TextCompare.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

std::vector<std::string> sortNames(const std::vector<Student> &students) {
  std::vector<std::string> names;
  for (const Student &student : students)
    names.push_back(student.sortName());
  return names;
}

TEST(Student, nameLeavesOutAnEmptyPart) {
  EXPECT_EQ((Student{"1", "Ana", "Silva"}).name(), "Ana Silva");
  EXPECT_EQ((Student{"1", "", "Silva"}).name(), "Silva");
  EXPECT_EQ((Student{"1", "Ana", ""}).name(), "Ana");
  EXPECT_EQ((Student{"1", "", ""}).name(), "");
  EXPECT_EQ((Student{"1", "Mary Ann", "van Dyke"}).sortName(), "van Dyke, Mary Ann");
  EXPECT_EQ((Student{"1", "Ana", ""}).sortName(), "Ana");
}

TEST(Student, idKeyIgnoresLeadingZerosAndNonDigits) {
  EXPECT_EQ(Student::idKey("00123"), "123");
  EXPECT_EQ(Student::idKey("123"), "123");
  EXPECT_EQ(Student::idKey("1020"), "1020");
  EXPECT_EQ(Student::idKey("0000"), "0");
  EXPECT_EQ(Student::idKey("0"), "0");
  EXPECT_EQ(Student::idKey("00-12 3"), "123");
  EXPECT_EQ(Student::idKey("abc"), "abc");
  EXPECT_EQ(Student::idKey(""), "");
}

TEST(Roster, studentMatchingIDComparesKeysAndTakesTheFirst) {
  Roster roster{{{"0042", "Ann", "Lee"}, {"7", "Bo", "Ma"}, {"42", "Cy", "Ng"}}, "class.csv"};
  EXPECT_EQ(roster.student("42")->firstName, "Ann");
  EXPECT_EQ(roster.student("000042")->firstName, "Ann");
  EXPECT_EQ(roster.student("007")->firstName, "Bo");
  EXPECT_EQ(roster.student("70"), std::nullopt);
  EXPECT_EQ(Roster{}.student("1"), std::nullopt);
}

TEST(Roster, longestIDCountsCharacters) {
  EXPECT_EQ(Roster{}.longestID(), 0);
  Roster roster{{{"12", "", "A"}, {"0001234", "", "B"}, {"99", "", "C"}}, std::nullopt};
  EXPECT_EQ(roster.longestID(), 7);
}

TEST(Roster, sortedByLastThenFirstIgnoringCase) {
  Roster roster{{{"1", "zoe", "adams"},
                 {"2", "Bea", "Cole"},
                 {"3", "Al", "Adams"},
                 {"4", "", "Baker"},
                 {"5", "Cher", ""}},
                std::nullopt};
  EXPECT_EQ(sortNames(roster.sorted()),
            (std::vector<std::string>{"Adams, Al", "adams, zoe", "Baker", "Cher", "Cole, Bea"}));
  EXPECT_EQ(roster.students[0].id, "1"); // the roster itself keeps file order
}

TEST(Roster, sortedComparesNumbersByValueAndIsStable) {
  Roster roster{{{"1", "", "Group 10"},
                 {"2", "", "group 9"},
                 {"3", "", "Group 9"},
                 {"4", "", "Group 1"},
                 {"5", "", "GROUP 9"}},
                std::nullopt};
  std::vector<std::string> ids;
  for (const Student &student : roster.sorted())
    ids.push_back(student.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"4", "2", "3", "5", "1"}));
}

TEST(TextCompare, caseInsensitiveButAccentSensitiveWithNumbersByValue) {
  using TextCompare::localizedStandardCompare;
  EXPECT_EQ(localizedStandardCompare("jones", "JONES"), std::weak_ordering::equivalent);
  EXPECT_EQ(localizedStandardCompare("a", "B"), std::weak_ordering::less);
  EXPECT_EQ(localizedStandardCompare("B", "a"), std::weak_ordering::greater);
  EXPECT_EQ(localizedStandardCompare("item 2", "item 10"), std::weak_ordering::less);
  EXPECT_EQ(localizedStandardCompare("x007", "x7"), std::weak_ordering::equivalent);
  EXPECT_NE(localizedStandardCompare("Rene", "René"), std::weak_ordering::equivalent);
  EXPECT_EQ(localizedStandardCompare("Émile", "Fabre"), std::weak_ordering::less);
}

TEST(TextCompare, foldIgnoresCaseAccentsAndWidth) {
  EXPECT_EQ(TextCompare::fold("José ÇAĞLAR"), "jose caglar");
  EXPECT_EQ(TextCompare::fold("Straße"), "strasse");
  EXPECT_EQ(TextCompare::fold("\uFF2A\uFF4F\uFF48\uFF4E\u3000\uFF11\uFF12"),
            "john 12");                             // full width
  EXPECT_EQ(TextCompare::fold("Zoe\u0308"), "zoe"); // combining diaeresis
  EXPECT_EQ(TextCompare::fold(""), "");
}

} // namespace
} // namespace ovalon
