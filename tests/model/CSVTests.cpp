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

TEST(CSVDecoding, utf8WithAndWithoutByteOrderMark) {
  EXPECT_EQ(CSV::decodeText(bytes("ID,Name\n1,Jos\xC3\xA9\n")), "ID,Name\n1,Jos\xC3\xA9\n");
  EXPECT_EQ(CSV::decodeText(bytes("\xEF\xBB\xBFID,Name\n")), "ID,Name\n");
  EXPECT_EQ(CSV::decodeText({}), "");
}

TEST(CSVDecoding, utf16WithByteOrderMarkInEitherOrder) {
  std::u16string text = u"ID,Name\r\n7,Zo\u00EB \u00C5berg \U0001F600\r\n";
  std::string expected = "ID,Name\r\n7,Zo\xC3\xAB \xC3\x85"
                         "berg \xF0\x9F\x98\x80\r\n";
  EXPECT_EQ(CSV::decodeText(utf16(text, true)), expected);
  EXPECT_EQ(CSV::decodeText(utf16(text, false)), expected);
}

TEST(CSVDecoding, brokenUtf16IsNotText) {
  Bytes odd = utf16(u"ID", true);
  odd.push_back('x');
  EXPECT_EQ(CSV::decodeText(odd), std::nullopt);
  EXPECT_EQ(CSV::decodeText(utf16(u"A\xD800", true)), std::nullopt); // lone high surrogate
  EXPECT_EQ(CSV::decodeText(utf16(u"\xDC00"
                                  u"A",
                                  false)),
            std::nullopt);
}

TEST(CSVDecoding, invalidUtf8FallsBackToWindows1252) {
  // é, the euro sign, curly quotes and Œ as a Windows spreadsheet saves them.
  EXPECT_EQ(CSV::decodeText(bytes("1,Ren\xE9\x80\x93Q\x94\x8C")),
            "1,Ren\xC3\xA9\xE2\x82\xAC\xE2\x80\x9CQ\xE2\x80\x9D\xC5\x92");
  // Overlong and surrogate encodings are not UTF-8 either.
  EXPECT_EQ(CSV::decodeText(bytes("\xC0\xAF")), "\xC3\x80\xC2\xAF");
  EXPECT_EQ(CSV::decodeText(bytes("\xED\xA0\x80")), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
}

TEST(CSVDecoding, bytesTextCannotHoldAreRefused) {
  EXPECT_EQ(CSV::decodeText(bytes("PK\x03\x04\x81\x00")), std::nullopt);  // unassigned in 1252
  EXPECT_EQ(CSV::decodeText(bytes("\xEF\xBB\xBFJos\xE9")), std::nullopt); // BOM promises UTF-8
}

TEST(CSVSeparator, mostFrequentOutsideQuotesOnFirstLine) {
  EXPECT_EQ(CSV::separator("ID;Name;Grade\n1;\"Smith, John\";9"), ';');
  EXPECT_EQ(CSV::separator("\"Last, First\";ID\n"), ';');
  EXPECT_EQ(CSV::separator("ID\tName\tEmail\n1\ta,b,c\tx"), '\t');
  EXPECT_EQ(CSV::separator("a;b\r\n1,2,3,4,5"), ';'); // only the first line counts
  EXPECT_EQ(CSV::separator("a;b\r1,2,3,4,5"), ';');
  // A quoted line break does not end the first line.
  EXPECT_EQ(CSV::separator("\"a\nb;c;d;e\",x\n"), ',');
}

TEST(CSVSeparator, commaWinsTiesAndIsTheDefault) {
  EXPECT_EQ(CSV::separator("a,b;c"), ',');
  EXPECT_EQ(CSV::separator("a,b\tc"), ',');
  EXPECT_EQ(CSV::separator("a,b;c\td"), ',');
  EXPECT_EQ(CSV::separator("names"), ',');
  EXPECT_EQ(CSV::separator(""), ',');
}

TEST(CSVRows, splitsFieldsAndRows) {
  const Rows threeRows{{"1", "a"}, {"2", "b"}, {"3", "c"}};
  const std::vector<std::pair<std::string, Rows>> cases{
      // Quoted fields keep separators, line breaks and doubled quotes.
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
      // Every kind of line break ends a row.
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
