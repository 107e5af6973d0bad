// Documents that break the test's own rules or the file format: each is
// refused on load with its reason, listed as unreadable with its path, and
// neither crashes nor hangs a command that names it.

#include "library/DocumentJSON.h"
#include "library/ExamLibrary.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <functional>

namespace ovalon {
namespace {

using nlohmann::json;
using testing::TempDir;

ExamDocument soundDocument() {
  Exam exam = Exam::make(*Uuid::parse("6A1B2C3D-4E5F-4061-8273-8495A6B7C8D9"), "Quiz", Date{10}, 5,
                         4, 4, Paper::letter, 99);
  exam.setVersionCount(2);
  exam.applyKeyText("ABCDA", 0);
  ExamDocument doc = ExamDocument::make(exam);
  ScannedSheet sheet;
  sheet.id = Uuid::random();
  sheet.number = 1;
  sheet.source = "scan.pdf";
  sheet.sourcePages = {1};
  for (int p = 0; p < 5; ++p)
    sheet.marks.push_back({{0.9, 0, 0, 0}, 0, {}, 0});
  sheet.marks[2] = {{0, 0, 0, 0}, {}, MarkFlag::blank, {}};
  sheet.idColumns.assign(4, MarkRead::empty(10));
  sheet.flags.push_back({Uuid::random(), FlagKind::blank, 2, Bytes{1, 2, 3},
                         std::vector<double>(4, 0), std::nullopt, "No bubble is filled.",
                         std::nullopt});
  doc.sheets.push_back(sheet);
  doc.issues.push_back({Uuid::random(), "scan.pdf", 2, PageProblem::noCode(), {}, {}, false});
  return doc;
}

using Damage = std::function<std::string(const std::string &)>; // the sound JSON in, the file out

Damage edited(std::function<void(json &)> change) {
  return [change](const std::string &text) {
    json j = json::parse(text);
    change(j);
    return j.dump();
  };
}

Damage set(const char *pointer, json value) {
  return edited([=](json &j) { j[json::json_pointer(pointer)] = value; });
}

std::string replaced(std::string text, const std::string &from, const std::string &to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

// Each damage and a part of the sentence that refuses it.
const std::vector<std::pair<Damage, const char *>> &cases() {
  static const std::vector<std::pair<Damage, const char *>> all{
      {set("/exam/questionCount", 8), "The key has 5 answers for 8 questions."},
      {set("/exam/key", json::array()), "The key has 0 answers for 5 questions."},
      {set("/exam/questionCount", 1'000'000'000), "it can have 1 to 200"},
      {set("/exam/idDigits", 1'000'000), "it can have 0 to 10"},
      {set("/exam/versions/1/order/0", 999),
       "Version B\u2019s order isn\u2019t the questions 1 to 5 each once."},
      {set("/exam/versions/1/order/0", -1), "Version B\u2019s order"},
      {set("/exam/title", std::string(5'000'000, 'x')),
       "The title is longer than 1000 characters."},
      {set("/exam/key/0/points", -50), "Question 1 is worth -50 points"},
      {[](const std::string &text) {
         return replaced(text, R"("title":"Quiz")", R"("title":"Quiz","title":"Other")");
       },
       "names \u201Ctitle\u201D twice"},
      {set("/sheets/0/flags/0/crop", "@@"), "sheets[0].flags[0].crop isn\u2019t Base64 data."},
      {[](const std::string &text) { return replaced(text, R"("number":1)", R"("number":30.0)"); },
       "sheets[0].number isn\u2019t a whole number."},
      {[](const std::string &text) { return text.substr(0, text.size() - 40); }, "ends too early"},
      {edited([](json &j) { j["sheets"][0]["marks"].erase(4); }),
       "Sheet 1 has 4 answers for 5 questions."},
      {set("/sheets/0/marks/0/choice", 4), "Sheet 1 has an answer row that doesn\u2019t fit"},
      {set("/sheets/0/flags/0/position", 5), "flag on question 6"},
      {set("/sheets/0/number", 0), "A sheet is numbered 0."},
      {edited([](json &j) {
         j["issues"][0].erase("problem");
         j["issues"][0]["orphanPage"] = 1;
       }),
       "can\u2019t follow"},
      {set("/sheets/0/cornerMethods", json::array_t(100, "vision")),
       "Sheet 1 has more pages than a sheet of this test can have."},
      {set("/issues/0/orphanPage", 2), "has no single reason"},
  };
  return all;
}

TEST(InconsistentDocuments, eachIsRefusedWithItsReasonAndListedAsUnreadable) {
  const ExamDocument sound = soundDocument();
  const std::string text = *DocumentJSON::encode(sound);
  for (const auto &[damage, reason] : cases()) {
    SCOPED_TRACE(reason);
    TempDir folder;
    ExamLibrary library{folder.path()};
    std::filesystem::create_directories(library.testsFolder());
    const auto path = library.documentPath(sound.exam.id);
    std::ofstream(path, std::ios::binary) << damage(text);

    auto loaded = library.load(sound.exam.id);
    ASSERT_FALSE(loaded);
    EXPECT_EQ(loaded.error().kind, ExamLibrary::Failure::Kind::unreadable);
    EXPECT_TRUE(loaded.error().description().contains(reason)) << loaded.error().description();

    for (const auto &unreadable : {library.list().unreadable, library.loadAll().unreadable}) {
      ASSERT_EQ(unreadable.size(), 1u);
      EXPECT_TRUE(unreadable[0].path == path && unreadable[0].reason.contains(reason))
          << unreadable[0].reason;
    }
    EXPECT_TRUE(library.list().tests.empty());

    auto listed = testing::runCli(folder.path(), {"list"});
    EXPECT_TRUE(listed.status == 0 && listed.out.contains("unreadable\t") &&
                listed.out.contains(reason))
        << listed.out;
    auto shown = testing::runCli(folder.path(), {"show", "6A1B"});
    EXPECT_TRUE(shown.status == 1 && shown.err.contains(reason)) << shown.err;
  }
}

// A copy beside the original, and a document under another name: neither may
// become a second file of one test when it is saved.
TEST(InconsistentDocuments, filesNotNamedByTheirTestAreReportedAndTheRightOneIsUsed) {
  TempDir folder;
  ExamLibrary library{folder.path()};
  const ExamDocument sound = soundDocument();
  ASSERT_TRUE(library.save(sound));
  const std::string text = *DocumentJSON::encode(sound);
  std::ofstream(library.testsFolder() / (sound.exam.id.text() + " (copy).json")) << text;
  std::ofstream(library.testsFolder() / "renamed.json")
      << replaced(text, sound.exam.id.text(), "0F0E0D0C-0B0A-4908-8706-050403020100");

  ExamLibrary::Listing listing = library.list();
  ASSERT_TRUE(listing.tests.size() == 1 && listing.unreadable.size() == 2);
  EXPECT_EQ(listing.tests[0].id, sound.exam.id);
  EXPECT_TRUE(listing.unreadable[0].reason.contains("holds the same test as"));
  EXPECT_TRUE(listing.unreadable[1].reason.contains(
      "rename it to \u201C0F0E0D0C-0B0A-4908-8706-050403020100.json\u201D"));
  EXPECT_EQ(library.loadAll().documents.size(), 1u);

  auto shown = testing::runCli(folder.path(), {"show", sound.exam.id.text()});
  EXPECT_EQ(shown.status, 0) << "the full id names the test despite its copy: " << shown.err;
}

} // namespace
} // namespace ovalon
