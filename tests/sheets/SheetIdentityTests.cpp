#include "sheets/QRMatrix.h"
#include "sheets/QrCodec.h"
#include "sheets/SheetIdentity.h"
#include "support/QrReading.h"

#include <gtest/gtest.h>

#include <string>

namespace ovalon {
namespace {

const SheetIdentity keyPage{"E621E1F8", 1, 2, {150, 4, 6, Paper::a4}, true};

TEST(SheetIdentity, payloadJoinsTheFieldsWithBars) {
  EXPECT_EQ(keyPage.payload(), "OV1|E621E1F8|B|2|150|4|6|A|K");
  SheetIdentity student = keyPage;
  student.isKey = false;
  EXPECT_EQ(student.payload(), "OV1|E621E1F8|B|2|150|4|6|A");
  SheetIdentity letter{"0000ABCD", 3, 1, {1, 2, 0, Paper::letter}, false};
  EXPECT_EQ(letter.payload(), "OV1|0000ABCD|D|1|1|2|0|L");
  for (const SheetIdentity &identity : {keyPage, student, letter})
    EXPECT_EQ(SheetIdentity::parse(identity.payload()), identity);
}

TEST(SheetIdentity, parsesTrimmedPayloadsWithLooseNumbersAndVersionLetters) {
  const SheetIdentity example{"E621E1F8", 0, 1, {20, 4, 6, Paper::letter}, false};
  const auto with = [&](int version, bool isKey = false) {
    return SheetIdentity{"E621E1F8", version, 1, example.signature, isKey};
  };
  const std::vector<std::pair<std::string, SheetIdentity>> cases{
      {"OV1|E621E1F8|A|1|20|4|6|L", example},
      {"OV1|E621E1F8|A|1|20|4|6|L|K", with(0, true)},
      {"  OV1|E621E1F8|A|1|20|4|6|L\n", example},
      {"\tOV1|E621E1F8|A|1|20|4|6|L|K\r\n", with(0, true)},
      {"\xC2\xA0OV1|E621E1F8|A|1|20|4|6|L\xE2\x80\xA8", example},
      // Only the first character of the version counts, in either case.
      {"OV1|E621E1F8|b|1|20|4|6|L", with(1)},
      {"OV1|E621E1F8|Dx|1|20|4|6|L", with(3)},
      {"OV1|E621E1F8|A|+1|020|4|6|L", example},
  };
  for (const auto &[text, expected] : cases)
    EXPECT_EQ(SheetIdentity::parse(text), expected) << text;
  EXPECT_EQ(SheetIdentity::parse("OV1|E621E1F8|A|1|20|4|-0|L")->signature.idDigits, 0);
}

TEST(SheetIdentity, rejectsMalformedFields) {
  // Wrong field counts, ninth fields, magic and code lengths; numbers that aren't plain
  // integers or are out of range (a 200-question test has 2 pages); case-sensitive K and paper.
  const char *bad[] = {"",
                       "OV1",
                       "OV1|E621E1F8|A|1|20|4|6",
                       "OV1|E621E1F8|A|1|20|4|6|L|X",
                       "OV1|E621E1F8|A|1|20|4|6|L|k",
                       "OV1|E621E1F8|A|1|20|4|6|L|K|K",
                       "OV1|E621E1F8|A|1|20 |4|6|L",
                       "OV1|E621E1F8|E|1|20|4|6|L",
                       "OV1|E621E1F8||1|20|4|6|L",
                       "OV1|E621E1F8|1|1|20|4|6|L",
                       "OV1|E621E1F8|A|1|20|4|6|L|",
                       "OV2|E621E1F8|A|1|20|4|6|L",
                       "ov1|E621E1F8|A|1|20|4|6|L",
                       "OV1|E621E1F|A|1|20|4|6|L",
                       "OV1|E621E1F8X|A|1|20|4|6|L",
                       "OV1|E621E1F8|A|one|20|4|6|L",
                       "OV1|E621E1F8|A|1|20|4||L",
                       "OV1|E621E1F8|A|1|+|4|6|L",
                       "OV1|E621E1F8|A|1|+-20|4|6|L",
                       "OV1|E621E1F8|A|1|20.0|4|6|L",
                       "OV1|E621E1F8|A|1|99999999999|4|6|L",
                       "OV1|E621E1F8|A|1|20|4|6|l",
                       "OV1|E621E1F8|A|1|20|4|6|Letter",
                       "OV1|E621E1F8|A|1|201|4|6|L",
                       "OV1|E621E1F8|A|1|0|4|6|L",
                       "OV1|E621E1F8|A|1|20|6|6|L",
                       "OV1|E621E1F8|A|1|20|1|6|L",
                       "OV1|E621E1F8|A|1|20|4|11|L",
                       "OV1|E621E1F8|A|1|20|4|-1|L",
                       "OV1|E621E1F8|A|0|20|4|6|L",
                       "OV1|E621E1F8|A|3|200|4|6|L",
                       "OV1|E621E1F8|A|2|100|4|6|L"};

  for (const char *text : bad)
    EXPECT_FALSE(SheetIdentity::parse(text)) << text;
  EXPECT_TRUE(SheetIdentity::parse("OV1|E621E1F8|A|2|200|4|6|L"));
  EXPECT_TRUE(SheetIdentity::parse("OV1|E621E1F8|A|2|101|5|10|A"));
}

TEST(SheetIdentity, codeCountsCharactersNotBytes) {
  auto identity = SheetIdentity::parse("OV1|\xC3\x89"
                                       "1234567|A|1|20|4|6|L");
  ASSERT_TRUE(identity);
  EXPECT_EQ(identity->examCode, "\xC3\x89"
                                "1234567");
  EXPECT_FALSE(SheetIdentity::parse("OV1|\xC3\x89"
                                    "123456|A|1|20|4|6|L"));
}

TEST(QRMatrix, decodesBackToThePayload) {
  for (const SheetIdentity &identity :
       {keyPage, SheetIdentity{"0000ABCD", 3, 1, {1, 2, 0, Paper::letter}, false}}) {
    auto matrix = QRMatrix::make(identity.payload());
    ASSERT_TRUE(matrix);
    auto texts = testing::readQRCodes(testing::imageOf(*matrix, 4));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], identity.payload());
    EXPECT_EQ(SheetIdentity::parse(texts[0]), identity);
  }
}

TEST(QrCodec, generatesAtOnePixelPerModuleAndRefusesWhatCannotBeEncoded) {
  auto symbol = QrCodec::generate("OV1|E621E1F8|A|1|20|4|6|L", 'Q');
  ASSERT_TRUE(symbol);
  EXPECT_EQ(std::pair(symbol->width, symbol->height), std::pair(29, 29));
  // Level L holds the same text in a smaller symbol.
  EXPECT_EQ(QrCodec::generate("OV1|E621E1F8|A|1|20|4|6|L", 'L')->width, 25);
  EXPECT_FALSE(QrCodec::generate("OV1", 'X'));
  EXPECT_FALSE(QrCodec::generate(std::string(4000, '|'), 'Q'));
  EXPECT_FALSE(QRMatrix::make(std::string(4000, '|')));
}

} // namespace
} // namespace ovalon
