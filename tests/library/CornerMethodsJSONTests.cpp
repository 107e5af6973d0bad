#include "library/DocumentJSON.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace ovalon {
namespace {

using nlohmann::json;

ExamDocument documentWithSheet(std::vector<std::optional<CornerMethod>> methods) {
  ExamDocument doc = ExamDocument::make(
      Exam::make(Uuid::random(), "Quiz", Date{812345678}, 2, 4, 0, Paper::letter, 1));
  ScannedSheet sheet;
  sheet.id = Uuid::random();
  sheet.source = "scan.pdf";
  sheet.sourcePages = {1, 2, 3};
  sheet.marks = {MarkRead::empty(4), MarkRead::empty(4)};
  sheet.cornerMethods = std::move(methods);
  doc.sheets = {sheet};
  return doc;
}

TEST(CornerMethodsJSON, pagesMethodsRoundTripAndOlderDocumentsStillLoad) {
  const ExamDocument doc =
      documentWithSheet({CornerMethod::threeCorners, std::nullopt, CornerMethod::vision});
  const std::string text = *DocumentJSON::encode(doc);
  json j = json::parse(text);
  EXPECT_EQ(j["sheets"][0]["cornerMethods"], json::parse(R"(["threeCorners", null, "vision"])"));
  EXPECT_EQ(*DocumentJSON::decode(text), doc);

  // Written before methods were kept: no key, and none comes back.
  j["sheets"][0].erase("cornerMethods");
  const auto older = DocumentJSON::decode(j.dump());
  ASSERT_TRUE(older) << older.error().description();
  EXPECT_TRUE(older->sheets[0].cornerMethods.empty());
  EXPECT_FALSE(json::parse(*DocumentJSON::encode(*older))["sheets"][0].contains("cornerMethods"));

  j["sheets"][0]["cornerMethods"] = json::array({"byHand"});
  EXPECT_FALSE(DocumentJSON::decode(j.dump()));
}

} // namespace
} // namespace ovalon
