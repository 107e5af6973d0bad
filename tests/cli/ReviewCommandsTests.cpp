#include "library/ExamLibrary.h"
#include "library/FileIO.h"
#include "model/CSV.h"
#include "support/CliRunner.h"
#include "support/RenderedPage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace ovalon {
namespace {

using testing::CliResult;
using testing::runCli;
using testing::TempDir;
namespace fs = std::filesystem;

constexpr const char *sampleID = "3C9E51A0";

ExamDocument sampleDocument(const TempDir &library) {
  return ExamLibrary{library.path()}.loadAll().documents.at(0);
}

size_t pictureCount(const TempDir &library, const ExamDocument &doc) {
  return static_cast<size_t>(std::distance(
      fs::directory_iterator(library / "Images" / doc.exam.id.text()), fs::directory_iterator{}));
}

// The sample class is graded once for the suite; each test works on its own copy.
class ReviewCommands : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    graded = new TempDir;
    TempDir out;
    CliResult result = runCli(graded->path(), {"sample", "--out", out.path().string()});
    ASSERT_EQ(result.status, 0) << result.err;
  }
  static void TearDownTestSuite() {
    delete graded;
    graded = nullptr;
  }
  void SetUp() override {
    fs::copy(graded->path(), library.path(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }

  static TempDir *graded;
  TempDir library, out;
};

TempDir *ReviewCommands::graded = nullptr;

// The review list of the graded sample, settled by hand the way a teacher scripts it.
TEST_F(ReviewCommands, everyOpenItemIsSettledFromTheCommandLine) {

  CliResult open = runCli(library.path(), {"review", sampleID, "--open", "--json"});
  ASSERT_EQ(open.status, 0) << open.err;
  auto items = nlohmann::json::parse(open.out);
  // One item for each doubtful mark the sample class was drawn with, and no other.
  std::vector<std::pair<std::string, std::string>> listed;
  for (const auto &item : items)
    listed.emplace_back(item["name"], item["title"]);
  const std::vector<std::pair<std::string, std::string>> planted{
      {"S3:Q6", "Faint mark"},  {"S7:Q13", "Two marks"}, {"S11:Q21", "Blank"},
      {"S15:Q9", "Faint mark"}, {"S19:Q4", "Two marks"}, {"S22:id", "Student ID"},
      {"S24:id", "Student ID"}};
  ASSERT_EQ(listed, planted);
  EXPECT_EQ(items[5]["suggestions"][0]["strength"], "likely");

  ExamDocument before = sampleDocument(library);
  for (const char *bad : {"9=B", "1=Z", "3=student:204501", "1", "6=darkest"}) {
    CliResult refused = runCli(library.path(), {"resolve", sampleID, "1=B", bad});
    EXPECT_EQ(refused.status, 2) << bad;
    EXPECT_FALSE(refused.err.empty()) << bad;
  }
  EXPECT_EQ(sampleDocument(library), before) << "a refused call saves nothing";

  std::string likely22 = items[5]["suggestions"][0]["id"];
  std::string likely24 = items[6]["suggestions"][0]["id"];
  CliResult settled =
      runCli(library.path(), {"resolve", sampleID, "1=darkest", "2=accept", "3=blank", "4=A", "5=D",
                              "6=student:" + likely22, "7=student:" + likely24});
  ASSERT_EQ(settled.status, 0) << settled.err;
  EXPECT_EQ(settled.out, "Saved 7 decisions.\n");
  EXPECT_EQ(runCli(library.path(), {"review", sampleID, "--open"}).out, "");
  CliResult scores = runCli(library.path(), {"scores", sampleID});
  EXPECT_EQ(scores.out.find("provisional"), std::string::npos);
  EXPECT_NE(runCli(library.path(), {"review", sampleID}).out.find("[settled: Set to D]"),
            std::string::npos);

  // Settled, the class exports: every file, and a gradebook any CSV reader takes.
  fs::path csv = out / "grades.csv", slips = out / "slips.pdf", report = out / "report.pdf",
           keys = out / "keys.pdf";
  CliResult exported =
      runCli(library.path(), {"export", sampleID, "--csv", csv.string(), "--slips", slips.string(),
                              "--report", report.string(), "--keys", keys.string()});
  ASSERT_EQ(exported.status, 0) << exported.err;
  for (const fs::path &pdf : {slips, report, keys}) {
    auto facts = testing::pdfFacts(*FileIO::read(pdf));
    ASSERT_TRUE(facts) << pdf;
    EXPECT_GT(facts->pageCount, 0);
  }
  auto text = CSV::decodeText(*FileIO::read(csv));
  ASSERT_TRUE(text);
  auto rows = CSV::rows(*text, CSV::separator(*text));
  ASSERT_EQ(rows.size(), 27u);
  for (const auto &row : rows)
    EXPECT_EQ(row.size(), rows[0].size());

  CliResult reopened = runCli(library.path(), {"resolve", sampleID, "3=reopen"});
  ASSERT_EQ(reopened.status, 0);
  EXPECT_EQ(
      nlohmann::json::parse(runCli(library.path(), {"review", sampleID, "--open", "--json"}).out)
          .size(),
      1u);
}

TEST_F(ReviewCommands, sheetsAreLeftOutTakenBackAndRemoved) {
  auto sheetLine = [&](const std::string &sheet) {
    return runCli(library.path(), {"scores", sampleID}).out.find("Sheet " + sheet + "\t");
  };

  CliResult left = runCli(library.path(), {"exclude", sampleID, "5"});
  ASSERT_EQ(left.status, 0) << left.err;
  EXPECT_EQ(sheetLine("5"), std::string::npos);
  ASSERT_EQ(runCli(library.path(), {"exclude", sampleID, "5", "--include"}).status, 0);
  EXPECT_NE(sheetLine("5"), std::string::npos);

  ExamDocument doc = sampleDocument(library);
  size_t pictures = pictureCount(library, doc);
  CliResult removed = runCli(library.path(), {"remove-sheet", sampleID, "26"});
  ASSERT_EQ(removed.status, 0) << removed.err;
  EXPECT_EQ(sampleDocument(library).sheets.size(), 25u);
  EXPECT_EQ(pictureCount(library, doc), pictures - 1);
  EXPECT_EQ(sheetLine("26"), std::string::npos);

  CliResult missing = runCli(library.path(), {"remove-sheet", sampleID, "26"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "\u201CSample Class: Cells & Organelles\u201D has no sheet 26.\n");
}

// The first promise of the README: one command shows the whole flow and leaves the files.
TEST_F(ReviewCommands, settledSampleWritesEveryFile) {
  CliResult first = runCli(library.path(), {"sample", "--out", out.path().string(), "--settle"});
  ASSERT_EQ(first.status, 0) << first.err;
  for (const char *expected :
       {"already graded: 26 sheets, 7 items open in Review.", "Review:\n1. S3:Q6 [open] Faint mark",
        "Decisions:\n",
        "Sheet 19 \u00B7 Question 4: set to D, the darkest mark; the other looks erased",
        "Sheet 22: counted for Hazel Quinn (204517)", "Scores:\n", "Reliability (KR-20): "})
    EXPECT_NE(first.out.find(expected), std::string::npos) << expected << "\n" << first.out;
  EXPECT_EQ(first.out.find("provisional"), std::string::npos);

  const std::string stem = "Sample Class - Cells & Organelles";
  for (const std::string &name : {std::string("Sample Class Scan.pdf"), stem + " Answer Keys.pdf",
                                  stem + " Result Slips.pdf", stem + " Item Analysis.pdf"}) {
    auto bytes = FileIO::read(out / name);
    ASSERT_TRUE(bytes) << name;
    auto facts = testing::pdfFacts(*bytes);
    ASSERT_TRUE(facts) << name;
    EXPECT_GT(facts->pageCount, 0) << name;
  }
  auto csv = FileIO::read(out / (stem + " Scores.csv"));
  ASSERT_TRUE(csv);
  EXPECT_EQ(std::ranges::count(*csv, '\n'), 27) << "a header and 26 students";

  CliResult again = runCli(library.path(), {"sample", "--out", out.path().string(), "--settle"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out.find("Graded"), std::string::npos);
  EXPECT_NE(again.out.find("already graded: 26 sheets, 0 items open in Review."),
            std::string::npos);
  EXPECT_EQ(sampleDocument(library).sheets.size(), 26u);
}

} // namespace
} // namespace ovalon
