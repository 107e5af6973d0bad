#include "reports/Gradebook.h"
#include "support/GradingFixtures.h"

#include <gtest/gtest.h>

#include <string_view>

namespace ovalon {
namespace {

using fixtures::examWithKey;
using fixtures::sheetAnswering;
using Answers = std::vector<std::optional<int>>;

constexpr int A = 0, B = 1, C = 2, D = 3;
const std::string header = "Student ID,Last Name,First Name,Version,Score,Possible,Percent";

// The CSV text split at CR LF; fails the test when the text does not end with one.
std::vector<std::string> linesOf(const std::string &text) {
  std::vector<std::string> lines;
  EXPECT_TRUE(text.ends_with("\r\n")) << text;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

ScannedSheet numbered(ScannedSheet sheet, int number) {
  sheet.number = number;
  sheet.flags.clear();
  return sheet;
}

TEST(Gradebook, listsAbsentStudentsWithThePossiblePointsOnly) {
  Exam exam = examWithKey(4, 4, {A, B, C, D});
  exam.setKey(3, {D}, 2.5, false);
  std::vector<Student> roster{
      {"1001", "Carla", "Young"}, {"1002", "Ben", "Adams"}, {"1003", "Dana", "Moss"}};
  std::vector<ScannedSheet> sheets{numbered(sheetAnswering(exam, {A, B, C, D}, 0, "1003"), 1),
                                   numbered(sheetAnswering(exam, {A, A, A, D}, 0, "01001"), 2)};
  EXPECT_EQ(
      linesOf(Gradebook::csv(exam, roster, sheets, false)),
      (std::vector<std::string>{header, "1002,Adams,Ben,,,5.5,", "1003,Moss,Dana,A,5.5,5.5,100.0",
                                "1001,Young,Carla,A,3.5,5.5,63.6"}));
}

TEST(Gradebook, unmatchedSheetsFollowTheClassByIDThenNumber) {
  Exam exam = examWithKey(2, 4, {A, B});
  exam.setVersionCount(2);
  std::vector<Student> roster{{"5", "Zoë", "Zimmer"}, {"6", "al", "adams"}};
  std::vector<ScannedSheet> sheets{
      numbered(sheetAnswering(exam, {A, B}, 0, ""), 4),
      numbered(sheetAnswering(exam, {A, B}, 0, "900"), 3),
      numbered(sheetAnswering(exam, {D, D}, 6, "10?4"), 2), // unclear ID, unknown version
      numbered(sheetAnswering(exam, {A, A}, 0, "5"), 9),
      numbered(sheetAnswering(exam, {A, A}, 0, "0005"), 7),
      numbered(sheetAnswering(exam, {A, A}, 0, "80"), 1),
  };
  auto lines = linesOf(Gradebook::csv(exam, roster, sheets, false));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       header,
                       "6,adams,al,,,2,",
                       "5,Zimmer,Zoë,A,1,2,50.0", // the same student twice, by sheet number
                       "5,Zimmer,Zoë,A,1,2,50.0",
                       ",,Sheet 2,?,0,2,0.0", // no ID sorts first among the unmatched
                       ",,Sheet 4,A,2,2,100.0",
                       "80,,,A,1,2,50.0", // IDs compare by numeric value
                       "900,,,A,2,2,100.0",
                   }));
  auto rows = Gradebook::rows(exam, roster, sheets, false);
  EXPECT_EQ(rows[1].number, 7);
  EXPECT_EQ(rows[2].number, 9);
  EXPECT_TRUE(rows[2].matched);
  EXPECT_FALSE(rows[3].matched);
}

TEST(Gradebook, sortsNamesCaseInsensitivelyWithAbsentStudentsAfterSheetsOfTheSameName) {
  Exam exam = examWithKey(1, 4, {A});
  std::vector<Student> roster{{"3", "Ann", "baker"}, {"1", "Ann", "Baker"}, {"2", "Bo", "Adams"}};
  std::vector<ScannedSheet> sheets{numbered(sheetAnswering(exam, {A}, 0, "1"), 1)};
  auto rows = Gradebook::rows(exam, roster, sheets, false);
  std::vector<std::string> ids;
  for (const auto &row : rows)
    ids.push_back(row.fields[0]);
  EXPECT_EQ(ids, (std::vector<std::string>{"2", "1", "3"}));
}

TEST(Gradebook, excludedSheetsAreLeftOutAndTheirStudentListedAbsent) {
  Exam exam = examWithKey(2, 4, {A, B});
  std::vector<Student> roster{{"1", "Ann", "Lee"}};
  ScannedSheet excluded = numbered(sheetAnswering(exam, {A, B}, 0, "1"), 1);
  excluded.excluded = true;
  ScannedSheet stranger = numbered(sheetAnswering(exam, {A, B}, 0, "44"), 2);
  stranger.excluded = true;
  const Bytes bytes = Gradebook::data(exam, roster, {excluded, stranger}, false);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "\xEF\xBB\xBF" + header + "\r\n1,Lee,Ann,,,2,\r\n");
}

TEST(Gradebook, followsTheTeachersIDDecision) {
  Exam exam = examWithKey(1, 4, {A});
  std::vector<Student> roster{{"1", "Ann", "Lee"}, {"2", "Bo", "Ng"}};
  ScannedSheet sheet = numbered(sheetAnswering(exam, {A}, 0, "1"), 1);
  sheet.flags.push_back(fixtures::sheetFlag(FlagKind::studentID, "ID 1 is also on sheet 3."));
  sheet.flags[0].resolution = Resolution::student("2");
  EXPECT_EQ(linesOf(Gradebook::csv(exam, roster, {sheet}, false)),
            (std::vector<std::string>{header, "1,Lee,Ann,,,1,", "2,Ng,Bo,A,1,1,100.0"}));

  sheet.flags[0].resolution.reset(); // open: the sheet counts for nobody yet
  EXPECT_EQ(linesOf(Gradebook::csv(exam, roster, {sheet}, false)).back(), ",,Sheet 1,A,1,1,100.0");
}

TEST(Gradebook, escapesNamesAndGuardsFormulas) {
  Exam exam = examWithKey(1, 4, {A});
  std::vector<Student> roster{{"1", "Ann", "Smith, Jr."},
                              {"2", "Bo \"B\"", "Ng"},
                              {"3", "Cy", "Park "},
                              {"4", "Di", "-Dee"},
                              {"5", "Ed", "=SUM(A1)"}};
  auto lines = linesOf(Gradebook::csv(exam, roster, {}, false));
  EXPECT_EQ(lines, (std::vector<std::string>{header, "4,'-Dee,Di,,,1,", "5,'=SUM(A1),Ed,,,1,",
                                             "2,Ng,\"Bo \"\"B\"\"\",,,1,", "3,\"Park \",Cy,,,1,",
                                             "1,\"Smith, Jr.\",Ann,,,1,"}));
}

TEST(Gradebook, answersInMasterOrderWithMasterLetters) {
  Exam exam = examWithKey(4, 4, {A, B, C, D});
  // Version B prints master Q2, Q1, Q4, Q3; its third row holds master choices D C B A.
  exam.versions.push_back(
      {1,
       {1, 0, 3, 2},
       std::vector<std::vector<int>>{{0, 1, 2, 3}, {0, 1, 2, 3}, {3, 2, 1, 0}, {0, 1, 2, 3}}});
  // Master answers Q1 C, Q2 blank, Q3 A, Q4 D, as version B prints them.
  const Answers printed{std::nullopt, C, A, A};
  ScannedSheet sheet = numbered(sheetAnswering(exam, printed, 1, "77"), 1);
  auto lines = linesOf(Gradebook::csv(exam, {}, {sheet}, true));
  EXPECT_EQ(lines, (std::vector<std::string>{header + ",Q1,Q2,Q3,Q4", "77,,,B,1,4,25.0,C,,A,D"}));

  // Absent students get empty answer cells.
  auto absent = linesOf(Gradebook::csv(exam, {{"9", "Al", "Ray"}}, {}, true));
  EXPECT_EQ(absent[1], "9,Ray,Al,,,4,,,,,");
}

} // namespace
} // namespace ovalon
