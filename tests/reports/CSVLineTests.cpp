#include "reports/CSVLine.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

TEST(CSVLine, guardsFormulaButNotNegativeNumber) {
  EXPECT_EQ(CSV::line({"=", "-", "+."}), "'=,'-,'+.");
  for (const char *number : {"-3", "-5", "+1.5e3", "-2.", "-.5", "+0", "-1E-7"})
    EXPECT_EQ(CSV::line({number}), number);
  // Formulas, and what isn't a plain decimal number: trailing text, spaces, hexadecimal,
  // infinity, bare exponent.
  for (const char *text : {"=SUM(A1)", "-Smith", "+cmd", "@A1", "- 3", "-3x", "+0x1p3", "-inf",
                           "-nan", "-1e", "+e5", "-1e+"})
    EXPECT_EQ(CSV::line({text}), "'" + std::string(text));
  EXPECT_EQ(CSV::line({"-3 "}), "\"'-3 \"");
  // A number that does not start with a formula character is never touched.
  EXPECT_EQ(CSV::line({"3e"}), "3e");
}

TEST(CSVLine, joinsCellsQuotingThoseThatWouldBreakTheLine) {
  EXPECT_EQ(CSV::line({"1042", "Nguyen", "An", "", "87.5"}), "1042,Nguyen,An,,87.5");
  EXPECT_EQ(CSV::line({}), "");
  EXPECT_EQ(CSV::line({""}), "");
  EXPECT_EQ(CSV::line({"O'Brien, Jr.", "x"}), "\"O'Brien, Jr.\",x");
  EXPECT_EQ(CSV::line({"Say \"hi\""}), "\"Say \"\"hi\"\"\"");
  EXPECT_EQ(CSV::line({"two\nlines", "cr\rhere"}), "\"two\nlines\",\"cr\rhere\"");
  EXPECT_EQ(CSV::line({"Lee ", " Ann", "Mid dle"}), "\"Lee \",\" Ann\",Mid dle");
  // The guard comes first, so a quoted formula keeps its apostrophe inside the quotes.
  EXPECT_EQ(CSV::line({"=A1,B1"}), "\"'=A1,B1\"");
}

} // namespace
} // namespace ovalon
