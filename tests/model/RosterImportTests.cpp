#include "model/RosterImport.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using RosterImport::Failure;
using RosterImport::Result;

Bytes bytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

Bytes utf16LE(std::u16string_view text) {
  Bytes out{0xFF, 0xFE};
  for (char16_t unit : text) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return out;
}

Result imported(std::string_view text) {
  auto result = RosterImport::importText(text, "class.csv");
  EXPECT_TRUE(result) << text << "\n" << result.error().description();
  return result.value_or(Result{});
}

std::optional<Failure> failure(std::string_view text) {
  auto result = RosterImport::importText(text, "class.csv");
  return result ? std::nullopt : std::optional(result.error());
}

TEST(RosterImportFailure, filesWithoutStudentsOrIDsAreRefused) {
  const std::vector<std::pair<std::string_view, Failure>> cases{
      {"", Failure::empty()},
      {"\n ,, \n", Failure::empty()},
      {"Student ID,Last Name,First Name\n", Failure::empty()},
      {"ID,Name\nabc,Ann\n,Bo\n", Failure::empty()}, // no usable ID at all
      {"First Name,Last Name\nAnn,Lee\n", Failure::noIDColumn()},
      {"Grade,Name\n9,Ann Lee\n", Failure::noIDColumn()},
      {"Student,Grade\nAnn Lee,9\n", Failure::noIDColumn()},
      // Without a known heading the first row must hold a bare number of at most 12 digits.
      {"Ann Lee,ann@example.org\n", Failure::noIDColumn()},
      {"1234567890123,Ann Lee\n", Failure::noIDColumn()},
      {"10-42,Ann Lee\n", Failure::noIDColumn()},
  };
  for (const auto &[text, expected] : cases)
    EXPECT_EQ(failure(text), expected) << text;
}

TEST(RosterImport, columnsAreFoundByHeadingOrByContent) {
  using Students = std::vector<Student>;
  const std::vector<std::pair<std::string, Students>> cases{
      {"Student #,Last Name,First Name\n0101,Lee,Ann\n0102,Chen,Bo\n",
       {{"0101", "Ann", "Lee"}, {"0102", "Bo", "Chen"}}},
      // "ID" outranks "Number"; "Last Name" and "First Name" beat the full name.
      {"Number,Name,ID,First Name,Last Name\n5,X Y,77,Ann,Lee\n", {{"77", "Ann", "Lee"}}},
      // The earliest column with the winning name is taken.
      {"ID,ID,Name\n1,2,Ann Lee\n", {{"1", "Ann", "Lee"}}},
      // Headings are compared loosely and caseless.
      {" STUDENT_ID ;Family_Name;Given\n9;Lee;Ann\n", {{"9", "Ann", "Lee"}}},
      {"#,Pupil\n3,Bo Chen\n", {{"3", "Bo", "Chen"}}},
      {"sis_id,surname,preferred name\n4,Ng,Cy\n", {{"4", "Cy", "Ng"}}},
      {"Student-No.,Name\n0042,Ann Lee\n", {{"0042", "Ann", "Lee"}}},
      {"\uFF29\uFF44,Name\n0042,Ann Lee\n", {{"0042", "Ann", "Lee"}}},
      {"Matr\u00EDcula,Name\n0042,Ann Lee\n", {{"0042", "Ann", "Lee"}}},
      // "Student" heads the IDs only above an ID.
      {"Student,Grade\n1042,9\n", {{"1042", "", ""}}},
      {"Student,Student Name\n1042,Ann Lee\n", {{"1042", "Ann", "Lee"}}},
      {"ID\n101\n102\n", {{"101", "", ""}, {"102", "", ""}}},
      // Without a header the first row is a student; the ID is the first bare number, the
      // name the first other column that is not one.
      {"1001,Ann Lee\n1002,Bo Chen\n", {{"1001", "Ann", "Lee"}, {"1002", "Bo", "Chen"}}},
      {"Lee Ann,9,1001,Grade 9\n", {{"9", "Lee", "Ann"}}},
      {"1001,9,\"Chen, Bo\"\n", {{"1001", "Bo", "Chen"}}},
      {"101\n102\n", {{"101", "", ""}, {"102", "", ""}}},
      // Spaces and hyphens group digits; the first of a repeated ID stays.
      {"ID,Name\n10 42,A B\n007-12 3,C D\n", {{"1042", "A", "B"}, {"007123", "C", "D"}}},
      {"ID,Name\n0042,Ann Lee\n42,Bo Chen\n", {{"0042", "Ann", "Lee"}}},
      // The full name only when both parts are empty.
      {"ID,First,Last,Name\n1,Ann,,Ann Lee\n2,,,Bo Chen\n3\n",
       {{"1", "Ann", ""}, {"2", "Bo", "Chen"}, {"3", "", ""}}},
      {"ID,First,Last\n\u00A012\u00A0,\u2003Zo\u00EB\t, Lee\u3000\n", {{"12", "Zo\u00EB", "Lee"}}},
      {"Student,ID,SIS User ID,Section,Quiz 1 (123)\n    Points Possible,,,,10\n"
       "\"Lee, Ann\",5501,2024-0101,Period 3,9\n\"Chen, Bo\",5502,2024-0102,Period 3,7\n",
       {{"5501", "Ann", "Lee"}, {"5502", "Bo", "Chen"}}},
  };
  for (const auto &[text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(imported(text).roster.students, expected);
  }
}

TEST(RosterImport, theTeacherCanNameTheIDColumn) {
  auto import = [](std::string_view text, std::string column) {
    return RosterImport::importText(text, "class.csv", {std::move(column)});
  };
  const std::string_view text = "ID,Locker,Name\n1,5001,Ann Lee\n2,5002,Bo Chen\n";
  EXPECT_EQ(import(text, " LOCKER ").value().roster,
            (Roster{{{"5001", "Ann", "Lee"}, {"5002", "Bo", "Chen"}}, "class.csv"}));
  EXPECT_EQ(import(text, "Desk").error(), Failure::noSuchColumn("Desk"));
  EXPECT_EQ(import(text, "Name").error(), Failure::empty());
  // A column that also names students is the ID column once chosen.
  EXPECT_EQ(import("Student,Name\n7,Ann Lee\n", "student").value().roster.students,
            (std::vector<Student>{{"7", "Ann", "Lee"}}));
  EXPECT_EQ(RosterImport::headings(bytes("\xEF\xBB\xBF Student ID ;Name\n1;Ann\n")).value(),
            (std::vector<std::string>{"Student ID", "Name"}));
  EXPECT_EQ(RosterImport::headings(bytes("")).error(), Failure::empty());
  EXPECT_EQ(RosterImport::headings(bytes("PK\x03\x04\x81\x8D")).error(), Failure::unreadable());
}

TEST(RosterImportIDs, skippedAndRepeatedRowsAreNamedAsTheSpreadsheetNumbersThem) {
  const std::vector<std::pair<std::string_view, std::vector<std::string>>> cases{
      {"ID,Name\nA1042,Ann Lee\n10.42,Bo Chen\n2,Cy Ng\n - ,Di Oh\n",
       {"3 rows without a numeric ID were skipped (rows 2, 3 and 5)."}},
      {"ID,Name\n1,A B\nx,C D\n01,E F\n001,G H\ny,I J\n2,K L\n",
       {"2 rows without a numeric ID were skipped (rows 3 and 6).",
        "2 repeated IDs were skipped (rows 4 and 5)."}},
      // Empty lines count as rows and a name spanning two lines is one row, as in a
      // spreadsheet; a file without a header starts with a student in row 1.
      {"ID,Name\n\n1,\"Ann\nLee\"\n,Bo\n", {"1 row without a numeric ID was skipped (row 4)."}},
      {"1,Ann\nx,Bo\n", {"1 row without a numeric ID was skipped (row 2)."}},
      {"ID\n1\nx\nx\nx\nx\nx\nx\nx\nx\nx\nx\nx\n",
       {"11 rows without a numeric ID were skipped (rows 3, 4, 5, 6, 7, 8, 9, 10 and 3 more)."}}};
  for (const auto &[text, warnings] : cases)
    EXPECT_EQ(imported(text).warnings, warnings) << text;
  const Result mixed = imported(cases[1].first), many = imported(cases[4].first);
  EXPECT_EQ(std::tuple(mixed.skippedRows, mixed.repeatedRows, mixed.skipped, many.skippedRows),
            std::tuple(std::vector<int>{3, 6}, std::vector<int>{4, 5}, 2,
                       std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
}

TEST(RosterImportNames, fullNameIsSplitIntoFirstAndLast) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases{
      {"\"Lee, Ann\"", "Ann", "Lee"},
      {"\" de la Cruz ,  Juan Pablo \"", "Juan Pablo", "de la Cruz"},
      {"Mary  Ann   Smith", "Mary Ann", "Smith"},
      {"Cher", "Cher", ""},
      {"", "", ""},
      {"\"Smith, John, Jr.\"", "John, Jr.", "Smith"},
      // Particles and suffixes stay with the last name.
      {"Anna Maria de la Cruz", "Anna Maria", "de la Cruz"},
      {"Ludwig Van Beethoven", "Ludwig", "Van Beethoven"},
      {"Maria da Silva Santos", "Maria", "da Silva Santos"},
      {"Martin Luther King Jr.", "Martin Luther", "King Jr."},
      {"\"Berg, Liam van der\"", "Liam", "van der Berg"},
      // A first word is never a particle, and a name needs a word after its particles.
      {"Van Morrison", "Van", "Morrison"},
      {"Al Di Meola", "Al", "Di Meola"},
      {"Henry Le", "Henry", "Le"},
      {"Ann Lee Jr.", "Ann", "Lee Jr."}};
  for (const auto &[cell, first, last] : cases) {
    SCOPED_TRACE(cell);
    EXPECT_EQ(imported("ID,Name\n1," + cell + "\n").roster.students,
              (std::vector<Student>{{"1", first, last}}));
  }
}

// Decoding itself is the CSV reader's; this checks the roster import goes through it.
TEST(RosterImportExports, encodedFilesImport) {
  auto utf16 = RosterImport::importData(
      utf16LE(u"Student ID\tFirst Name\tLast Name\r\n1\tRen\u00E9e\tL\u00E9vesque\r\n"),
      "export.txt");
  EXPECT_EQ(utf16.value().roster, (Roster{{{"1", "Ren\u00E9e", "L\u00E9vesque"}}, "export.txt"}));
}

TEST(RosterImportBounds, hugeAndBinaryFilesAreNotRosters) {
  Bytes huge(100u * 1024 * 1024, 'x');
  for (size_t i = 0; i < huge.size(); i += 64)
    huge[i] = '\n';
  const Bytes picture{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (const Bytes &data : {huge, bytes("PK\x03\x04\x81\x8D binary"), picture})
    EXPECT_EQ(RosterImport::importData(data, "class.csv").error(), Failure::unreadable());
}

} // namespace
} // namespace ovalon
