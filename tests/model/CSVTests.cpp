#include "model/CSV.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Bytes bytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

Bytes utf16(std::u16string_view text, bool littleEndian) {
  Bytes out = littleEndian ? Bytes{0xFF, 0xFE} : Bytes{0xFE, 0xFF};
  for (char16_t unit : text) {
    uint8_t low = unit & 0xFF, high = unit >> 8;
    out.push_back(littleEndian ? low : high);
    out.push_back(littleEndian ? high : low);
  }
  return out;
}

TEST(CSVDecoding, decodesUtf8Utf16AndWindows1252AndRefusesWhatIsNotText) {
  Bytes oddLength = utf16(u"ID", true);
  oddLength.push_back('x');
  const std::u16string text = u"ID,Name\r\n7,Zo\u00EB \u00C5berg \U0001F600\r\n";
  const std::string decoded = "ID,Name\r\n7,Zo\xC3\xAB \xC3\x85"
                              "berg \xF0\x9F\x98\x80\r\n";
  const std::vector<std::pair<Bytes, std::optional<std::string>>> cases{
      {bytes("ID,Name\n1,Jos\xC3\xA9\n"), "ID,Name\n1,Jos\xC3\xA9\n"},
      {bytes("\xEF\xBB\xBFID,Name\n"), "ID,Name\n"},
      {{}, ""},
      {utf16(text, true), decoded},
      {utf16(text, false), decoded},
      {oddLength, std::nullopt},
      {utf16(u"A\xD800", true), std::nullopt}, // lone high surrogate
      {utf16(u"\xDC00"
             u"A",
             false),
       std::nullopt}, // lone low surrogate
      // é, the euro sign, curly quotes and Œ as a Windows spreadsheet saves them; overlong
      // and surrogate encodings are not UTF-8 either.
      {bytes("1,Ren\xE9\x80\x93Q\x94\x8C"),
       "1,Ren\xC3\xA9\xE2\x82\xAC\xE2\x80\x9CQ\xE2\x80\x9D\xC5\x92"},
      {bytes("\xC0\xAF"), "\xC3\x80\xC2\xAF"},
      {bytes("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {bytes("PK\x03\x04\x81\x00"), std::nullopt},   // unassigned in 1252
      {bytes("\xEF\xBB\xBFJos\xE9"), std::nullopt}}; // the BOM promises UTF-8
  for (size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(CSV::decodeText(cases[i].first), cases[i].second) << i;
}

TEST(CSVSeparator, mostFrequentOutsideQuotesOnFirstLineWithCommaWinningTies) {
  const std::vector<std::pair<std::string_view, char>> cases{
      {"ID;Name;Grade\n1;\"Smith, John\";9", ';'},
      {"\"Last, First\";ID\n", ';'},
      {"ID\tName\tEmail\n1\ta,b,c\tx", '\t'},
      {"a;b\r\n1,2,3,4,5", ';'},
      {"a;b\r1,2,3,4,5", ';'},
      {"\"a\nb;c;d;e\",x\n", ','},
      {"a,b;c", ','},
      {"a,b\tc", ','},
      {"a,b;c\td", ','},
      {"names", ','},
      {"", ','}};
  for (const auto &[text, separator] : cases)
    EXPECT_EQ(CSV::separator(text), separator) << text;
}

TEST(CSVRows, splitsFieldsAndRows) {
  const Rows threeRows{{"1", "a"}, {"2", "b"}, {"3", "c"}};
  const std::vector<std::pair<std::string, Rows>> cases{
      {"1,\"Smith, John\",x\n", {{"1", "Smith, John", "x"}}},
      {"1,\"two\nlines\"\n2,b", {{"1", "two\nlines"}, {"2", "b"}}},
      {"\"say \"\"hi\"\"\",\"\"\"\"", {{"say \"hi\"", "\""}}},
      {"\"open to the end", {{"open to the end"}}},
      // A quote opens a field only at its start (after white space, which is dropped); text
      // after the closing quote continues the field.
      {"  \"a,b\",c", {{"a,b", "c"}}},
      {"O\"Neil,5 \"ft\"", {{"O\"Neil", "5 \"ft\""}}},
      {"x \"y\",z", {{"x \"y\"", "z"}}},
      {"\"ab\"cd,e", {{"abcd", "e"}}},
      {"1,a\r\n2,b\r\n3,c\r\n", threeRows},
      {"1,a\r2,b\r3,c", threeRows},
      {"1,a\n2,b\r\n3,c\r", threeRows},
      // Blank rows vanish, but fields are not trimmed.
      {"\n\n1, a \n,,,\n \t; \n\r\n2,b\n\n", {{"1", " a "}, {" \t; "}, {"2", "b"}}},
      {"a,,b,", {{"a", "", "b", ""}}},
      {"", {}},
      {"\"\",\"  \"", {}},
      // The separator is detected; a leading byte order mark is dropped.
      {"a;b;c,d\n1;2,3", {{"a", "b", "c,d"}, {"1", "2,3"}}},
      {"id\tname\n1\tAnn Lee", {{"id", "name"}, {"1", "Ann Lee"}}},
      {"one\ntwo", {{"one"}, {"two"}}},
      {"\xEF\xBB\xBF\"ID\";Name\n1;A", {{"ID", "Name"}, {"1", "A"}}},
  };
  for (const auto &[text, rows] : cases)
    EXPECT_EQ(CSV::rows(text), rows) << text;
  EXPECT_EQ(CSV::rows("a;b,c\n1;2,3", ';'), (Rows{{"a", "b,c"}, {"1", "2,3"}}));
}

TEST(CSVRows, rowsAreNumberedAsASpreadsheetShowsThem) {
  // Blank lines count; a quoted line break does not start a row; CR LF is one break.
  EXPECT_EQ(CSV::numberedRows("a,b\r\n\r\n\"x\ny\",z\r ,\nlast"),
            (std::vector<CSV::Row>{{1, {"a", "b"}}, {3, {"x\ny", "z"}}, {5, {"last"}}}));
}

} // namespace
} // namespace ovalon
