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
  std::vector<std::string> names;
  for (const Student &s : std::vector<Student>{
           {"1", "Ana", "Silva"}, {"1", "", "Silva"}, {"1", "Ana", ""}, {"1", "", ""}})
    names.push_back(s.name());
  EXPECT_EQ(names, (std::vector<std::string>{"Ana Silva", "Silva", "Ana", ""}));
  EXPECT_EQ(sortNames({{"1", "Mary Ann", "van Dyke"}, {"1", "Ana", ""}}),
            (std::vector<std::string>{"van Dyke, Mary Ann", "Ana"}));
}

TEST(Student, idKeyIgnoresLeadingZerosAndNonDigits) {
  std::vector<std::string> keys;
  for (const char *id : {"00123", "123", "1020", "0000", "0", "00-12 3", "abc", ""})
    keys.push_back(Student::idKey(id));
  EXPECT_EQ(keys, (std::vector<std::string>{"123", "123", "1020", "0", "0", "123", "abc", ""}));
}

TEST(Roster, studentMatchingIDComparesKeysAndTakesTheFirst) {
  Roster roster{{{"0042", "Ann", "Lee"}, {"7", "Bo", "Ma"}, {"42", "Cy", "Ng"}}, "class.csv"};
  EXPECT_EQ(std::tuple(roster.student("42")->firstName, roster.student("000042")->firstName,
                       roster.student("007")->firstName),
            std::tuple("Ann", "Ann", "Bo"));
  EXPECT_TRUE(!roster.student("70") && !Roster{}.student("1"));
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
  const auto less = std::weak_ordering::less, same = std::weak_ordering::equivalent;
  for (auto [a, b, order] : {std::tuple{"B", "a", std::weak_ordering::greater},
                             {"x007", "x7", same},
                             {"Émile", "Fabre", less}})
    EXPECT_EQ(localizedStandardCompare(a, b), order) << a << " " << b;
  EXPECT_NE(localizedStandardCompare("Rene", "René"), same);
}

TEST(TextCompare, foldIgnoresCaseAccentsAndWidth) {
  for (auto [text, folded] : {std::pair{"José ÇAĞLAR", "jose caglar"},
                              {"Straße", "strasse"},
                              {"\uFF2A\uFF4F\uFF48\uFF4E\u3000\uFF11\uFF12", "john 12"},
                              {"Zoe\u0308", "zoe"},
                              {"", ""}})
    EXPECT_EQ(TextCompare::fold(text), folded);
}

} // namespace
} // namespace ovalon
