#include "library/ExamLibrary.h"
#include "support/CliRunner.h"
#include "support/GradingFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace ovalon {
namespace {

using testing::runCli;
using testing::TempDir;

// A graded class of three: 4/4, 2/4 with an open blank flag, and 0/4 excluded.
ExamDocument gradedClass() {
  ExamDocument doc = ExamDocument::make(fixtures::examWithKey(4, 4, {0, 1, 2, 3}));
  doc.exam.title = "Quiz";
  doc.roster.students = {{"101", "Ada", "Lovelace"}};
  doc.sheets.push_back(fixtures::sheetAnswering(doc.exam, {0, 1, 2, 3}, 0, "101"));
  doc.sheets.push_back(fixtures::sheetAnswering(doc.exam, {0, 1, std::nullopt, 0}, 0, "555"));
  ScannedSheet excluded = fixtures::sheetAnswering(doc.exam, {1, 2, 3, 0}, 0, "");
  excluded.excluded = true;
  doc.sheets.push_back(excluded);
  for (int i = 0; i < 3; ++i)
    doc.sheets[static_cast<size_t>(i)].number = i + 1;
  return doc;
}

TEST(ScoresCommand, listsIncludedSheetsWithProvisionalScoresAsTextAndJson) {
  TempDir library;
  ASSERT_TRUE(ExamLibrary{library.path()}.save(gradedClass()));
  auto r = runCli(library.path(), {"scores", "Quiz"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Sheet 1\tAda Lovelace\t101\tA\t4 / 4\t100.0%\n"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Sheet 2\tNot on roster\t555\tA\t2 / 4\t50.0%\tprovisional\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("Sheet 3"), std::string::npos);
  EXPECT_NE(r.out.find("Sheets: 2\nMean: 75.0%"), std::string::npos) << r.out;

  auto j = nlohmann::json::parse(runCli(library.path(), {"scores", "Quiz", "--json"}).out);
  ASSERT_EQ(j["sheets"].size(), 2u);
  EXPECT_EQ(j["sheets"][1]["provisional"], true);
  EXPECT_EQ(j["sheets"][1]["percent"], 50.0);
  EXPECT_EQ(j["summary"]["sheets"], 2);
  ASSERT_EQ(j["items"].size(), 4u);
  EXPECT_EQ(j["items"][0]["percentRight"], 100.0);
  EXPECT_EQ(j["items"][2]["blank"], 1);
}

} // namespace
} // namespace ovalon
