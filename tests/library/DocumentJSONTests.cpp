#include "library/DocumentJSON.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace ovalon {
namespace {

using nlohmann::json;

ExamDocument fullDocument() {
  Exam exam = Exam::make(Uuid::random(), "Unit 3 “Cells”", Date{812345678.25}, 12, 5, 7, Paper::a4,
                         18446744073709551615ULL);
  exam.setShuffleChoices(true);
  exam.setVersionCount(3);
  exam.setKey(0, {2, 0}, 2.5, false);
  exam.setKey(1, {}, 1, true);
  ExamDocument doc = ExamDocument::make(exam);
  doc.modified = Date{812345999.125};
  doc.roster = {{{"00123", "Zoë", "Ångström"}, {"42", "", "Solo"}}, "class.csv"};

  MarkRead clean{{0.02, 0.91, 0.0, 0.1, 0.05}, 1, std::nullopt, 1};
  MarkRead doubled{{0.9, 0.85, 0, 0, 0}, std::nullopt, MarkFlag::double_, 0};
  ScannedSheet sheet;
  sheet.id = Uuid::random();
  sheet.number = 3;
  sheet.source = "scan.pdf";
  sheet.sourcePages = {4, 5};
  sheet.version = 2;
  sheet.marks = {clean, doubled, MarkRead::empty(5)};
  sheet.idColumns = {clean};
  sheet.readID = "1";
  sheet.idCrop = Bytes{0x89, 'P', 'N', 'G', 0};
  sheet.pageImages = {Uuid::random(), Uuid::random()};
  sheet.idImage = Uuid::random();
  sheet.nameImage = Uuid::random();
  sheet.excluded = true;
  sheet.gradedAt = Date{812345700.5};
  sheet.name = NameRead{"Zoe Angstrom", {"Zoe Angstrorn"}, 0.75};
  sheet.nameCrop = Bytes{1, 2, 3, 4};
  sheet.rescanned = Date{812345800};
  sheet.cornerMethods = {CornerMethod::threeCorners, std::nullopt};
  const std::vector<double> noFills;
  sheet.flags.push_back({Uuid::random(), FlagKind::studentID, std::nullopt, std::nullopt, noFills,
                         std::nullopt, "No ID", Resolution::student("00123")});
  sheet.flags.push_back({Uuid::random(), FlagKind::double_, 1, Bytes{9, 8},
                         std::vector<double>{0.9, 0.85, 0, 0, 0}, 0, "Two bubbles are filled.",
                         Resolution::choice(1)});
  sheet.flags.push_back({Uuid::random(), FlagKind::missingPage, std::nullopt, std::nullopt, noFills,
                         std::nullopt, "Page 2", std::nullopt});
  for (Resolution r : {Resolution::blank(), Resolution::accept(), Resolution::exclude()})
    sheet.flags.push_back({Uuid::random(), FlagKind::blank, 2, {}, {}, {}, "", r});
  doc.sheets = {sheet};

  const auto none = std::nullopt;
  doc.issues.push_back(
      {Uuid::random(), "scan.pdf", 1, PageProblem::noCode(), none, Uuid::random(), false});
  doc.issues.push_back({Uuid::random(), "scan.pdf", 2, PageProblem::noMarks(), none, none, true});
  doc.issues.push_back(
      {Uuid::random(), "photo.jpg", 1, PageProblem::otherExam("ABCD1234"), none, none, false});
  doc.issues.push_back({Uuid::random(), "scan.pdf", 3,
                        PageProblem::layoutChanged(LayoutSignature{30, 4, 6, Paper::letter}), none,
                        none, false});
  doc.issues.push_back({Uuid::random(), "scan.pdf", 7, none, 2, none, false});
  return doc;
}

TEST(DocumentJSON, everyRecordRoundTripsExactlyAndAbsentOptionalsWriteNoKeys) {
  ExamDocument doc = fullDocument();
  auto text = DocumentJSON::encode(doc);
  ASSERT_TRUE(text) << text.error().description();
  auto back = DocumentJSON::decode(*text);
  ASSERT_TRUE(back) << back.error().description();
  EXPECT_EQ(*back, doc);

  doc.sheets[0] = ScannedSheet();
  doc.roster.sourceName.reset();
  json j = json::parse(*DocumentJSON::encode(doc));
  for (const char *key :
       {"name", "idImage", "nameImage", "idCrop", "nameCrop", "rescanned", "cornerMethods"})
    EXPECT_FALSE(j["sheets"][0].contains(key)) << key;
  EXPECT_FALSE(j["roster"].contains("sourceName"));
  EXPECT_EQ(*DocumentJSON::decode(j.dump()), doc);
}

TEST(DocumentJSON, writesTheStoredFormatOnOneLine) {
  ExamDocument doc = fullDocument();
  const std::string text = *DocumentJSON::encode(doc);
  EXPECT_EQ(text.find('\n'), std::string::npos);
  json j = json::parse(text);
  EXPECT_EQ(j["exam"]["seed"].dump(), "18446744073709551615");
  EXPECT_EQ(j["exam"]["id"], doc.exam.id.text());
  // Stored values by JSON pointer; null for a key that must be absent.
  const json stored = json::parse(R"({
    "/exam/paper": "a4", "/exam/created": 812345678.25, "/sheets/0/idCrop": "iVBORwA=",
    "/sheets/0/marks/1/flag": "double", "/sheets/0/flags/0/kind": "studentID",
    "/sheets/0/flags/0/resolution": {"student": {"_0": "00123"}},
    "/sheets/0/flags/1/resolution": {"choice": {"_0": 1}}, "/sheets/0/flags/3/resolution": {"blank": {}},
    "/issues/0/problem": {"noCode": {}}, "/issues/3/problem/layoutChanged/_0/questionCount": 30,
    "/issues/4/orphanPage": 2, "/sheets/0/cornerMethods": ["threeCorners", null],
    "/roster/sourceName": "class.csv", "/exam/versions/0/choiceOrder": null,
    "/sheets/0/marks/0/flag": null, "/issues/4/problem": null})");
  for (const auto &[pointer, value] : stored.items())
    EXPECT_EQ(j.value(json::json_pointer(pointer), json()), value) << pointer;
  EXPECT_TRUE(j.contains(json::json_pointer("/exam/versions/1/choiceOrder")));
}

TEST(DocumentJSON, setsReadInEitherOrderUnknownKeysAreIgnoredAndMalformedRecordsRefused) {
  ExamDocument doc = fullDocument();
  json j = json::parse(*DocumentJSON::encode(doc));
  j["exam"]["key"][0]["correct"] = json::array({2, 0});
  j["exam"]["futureSetting"] = "ignored";
  j["sheets"][0]["flags"][0]["resolution"]["somethingElse"] = json::object();
  auto back = DocumentJSON::decode(j.dump());
  ASSERT_TRUE(back) << back.error().description();
  EXPECT_EQ(*back, doc);

  const std::string good = *DocumentJSON::encode(doc);
  auto mutated = [&](auto change) {
    json j = json::parse(good);
    change(j);
    return DocumentJSON::decode(j.dump());
  };
  // Each a JSON pointer and the value that breaks the record there.
  const json malformed = json::parse(R"([
    ["/sheets/0/flags/1/resolution", {"choice": {"_0": 1}, "blank": {}}],
    ["/sheets/0/flags/1/resolution", {}], ["/sheets/0/flags/1/resolution/choice", null],
    ["/exam/seed", -1], ["/exam/questionCount", "12"], ["/exam/questionCount", 12.5],
    ["/exam/paper", "legal"], ["/exam/id", "not-a-uuid"], ["/sheets/0/idCrop", "@@@"],
    ["/sheets/0/marks/1/flag", "smudge"], ["/sheets/0/cornerMethods", ["byHand"]],
    ["/issues/0/problem", {"noCode": 1}]])");
  for (const json &row : malformed)
    EXPECT_FALSE(mutated([&](json &j) { j[json::json_pointer(row[0])] = row[1]; })) << row;
  EXPECT_FALSE(mutated([](json &j) { j["exam"].erase("seed"); }));
  EXPECT_FALSE(DocumentJSON::decode(good.substr(0, good.size() / 2)));
  EXPECT_FALSE(DocumentJSON::decode(""));
}

TEST(DocumentJSON, pageOutcomeEncodesWhatTheReaderFoundWithoutPictures) {
  PageOutcome page;
  page.source = "scan.pdf";
  page.sourcePage = 3;
  page.identity = SheetIdentity{"E621E1F8", 0, 1, {20, 4, 2, Paper::letter}, false};
  page.questions = {{7, {{0.1, 0.9, 0, 0}, 1, {}, 1}}};
  page.idColumns = {MarkRead::empty(10)};
  page.method = CornerMethod::blobs;
  page.preview = Bytes{1, 2, 3};
  json j = json::parse(DocumentJSON::encode(page));
  const json stored = json::parse(R"({"/sourcePage": 3, "/identity/examCode": "E621E1F8",
    "/questions/0/position": 7, "/questions/0/mark/choice": 1, "/idColumns/0/flag": "blank",
    "/method": "blobs", "/blackAndWhite": false, "/problem": null, "/preview": null})");
  for (const auto &[pointer, value] : stored.items())
    EXPECT_EQ(j.value(json::json_pointer(pointer), json()), value) << pointer;
}

} // namespace
} // namespace ovalon
