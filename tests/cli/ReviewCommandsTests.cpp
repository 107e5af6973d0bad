#include "library/ExamLibrary.h"
#include "library/FileIO.h"
#include "model/CSV.h"
#include "support/ClassScans.h"
#include "support/CliRunner.h"
#include "support/RenderedPage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

constexpr const char *sampleID = "3C9E51A0";
const std::string stem = "Sample Class - Cells & Organelles";

ExamDocument sampleDocument(const TempDir &library) {
  return ExamLibrary{library.path()}.loadAll().documents.at(0);
}

// Every file is there and reads as a PDF with pages, or a CSV of a header and 26 students.
void expectExports(const std::vector<fs::path> &pdfs, const fs::path &csv) {
  for (const fs::path &pdf : pdfs) {
    auto facts = testing::pdfFacts(FileIO::read(pdf).value_or(Bytes{}));
    EXPECT_TRUE(facts && facts->pageCount > 0) << pdf;
  }
  auto text = CSV::decodeText(*FileIO::read(csv));
  ASSERT_TRUE(text);
  auto rows = CSV::rows(*text, CSV::separator(*text));
  ASSERT_EQ(rows.size(), 27u);
  for (const auto &row : rows)
    EXPECT_EQ(row.size(), rows[0].size());
}

// The sample class is graded once for the suite, from an empty library the way a new
// user meets it; each test works on its own copy.
class ReviewCommands : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    first = runCli(graded->path(), {"sample", "--out", sampleOut->path().string()});
  }
  void SetUp() override {
    ASSERT_EQ(first.status, 0) << first.err;
    fs::copy(graded->path(), library.path(), fs::copy_options::recursive);
  }
  CliResult run(const std::vector<std::string> &args) { return runCli(library.path(), args); }

  static inline auto graded = std::make_unique<TempDir>(), sampleOut = std::make_unique<TempDir>();
  static inline CliResult first;
  TempDir library, out;
};

TEST_F(ReviewCommands, sampleIsGradedOnceAndReadsAsSimulated) {
  for (const char *expected :
       {"Graded 26 sheets\n", "marks need a look in Review before scores go out.",
        "The scores, slips and report wait: 7 items still need a look in Review."})
    EXPECT_NE(first.out.find(expected), std::string::npos) << expected << "\n" << first.out;
  EXPECT_FALSE(fs::exists(*sampleOut / (stem + " Scores.csv")));
  ExamDocument doc = sampleDocument(library);
  EXPECT_EQ(doc.sheets.size(), 26u);
  EXPECT_TRUE(doc.issues.empty());
  const fs::directory_iterator pictures(library / "Images" / doc.exam.id.text());
  EXPECT_EQ(std::distance(pictures, fs::directory_iterator{}), 3 * 26)
      << "a picture of each page, its ID bubbles and its name line";
  EXPECT_EQ(testing::pictureFolder(library.path(), doc.exam.id), testing::picturesOf(doc));

  CliResult blocked = run({"export", sampleID, "--csv", "x.csv"});
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(blocked.err.find("Scores aren\u2019t ready to export: "), std::string::npos);
  EXPECT_NE(run({"scores", sampleID}).out.find("provisional"), std::string::npos);
}

// The review list of the graded sample, settled by hand the way a teacher scripts it.
TEST_F(ReviewCommands, everyOpenItemIsSettledFromTheCommandLine) {
  CliResult open = run({"review", sampleID, "--open", "--json"});
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
    CliResult refused = run({"resolve", sampleID, "1=B", bad});
    EXPECT_EQ(refused.status, 2) << bad;
    EXPECT_FALSE(refused.err.empty()) << bad;
  }
  EXPECT_EQ(sampleDocument(library), before) << "a refused call saves nothing";

  std::string likely22 = items[5]["suggestions"][0]["id"];
  std::string likely24 = items[6]["suggestions"][0]["id"];
  CliResult settled = run({"resolve", sampleID, "1=darkest", "2=accept", "3=blank", "4=A", "5=D",
                           "6=student:" + likely22, "7=student:" + likely24});
  ASSERT_EQ(settled.status, 0) << settled.err;
  EXPECT_EQ(settled.out, "Saved 7 decisions.\n");
  EXPECT_EQ(run({"review", sampleID, "--open"}).out, "");
  EXPECT_EQ(run({"scores", sampleID}).out.find("provisional"), std::string::npos);

  // Settled, the class exports every file, and a gradebook any CSV reader takes.
  const fs::path csv = out / "grades.csv", slips = out / "slips.pdf", report = out / "report.pdf",
                 keys = out / "keys.pdf";
  CliResult exported = run({"export", sampleID, "--csv", csv.string(), "--slips", slips.string(),
                            "--report", report.string(), "--keys", keys.string()});
  ASSERT_EQ(exported.status, 0) << exported.err;
  expectExports({slips, report, keys}, csv);

  // A sheet left out leaves the scores until taken back.
  auto sheetFive = [&] { return run({"scores", sampleID}).out.find("Sheet 5\t"); };
  ASSERT_EQ(run({"exclude", sampleID, "5"}).status, 0);
  EXPECT_EQ(sheetFive(), std::string::npos);
  ASSERT_EQ(run({"exclude", sampleID, "5", "--include"}).status, 0);
  EXPECT_NE(sheetFive(), std::string::npos);

  ASSERT_EQ(run({"resolve", sampleID, "3=reopen"}).status, 0);
  EXPECT_EQ(nlohmann::json::parse(run({"review", sampleID, "--open", "--json"}).out).size(), 1u);
}

// The first promise of the README: one command shows the whole flow and leaves the files.
TEST_F(ReviewCommands, settledSampleWritesEveryFile) {
  CliResult settled = run({"sample", "--out", out.path().string(), "--settle"});
  ASSERT_EQ(settled.status, 0) << settled.err;
  EXPECT_EQ(settled.out.find("Graded"), std::string::npos) << "the sample is made once";
  EXPECT_EQ(sampleDocument(library).sheets.size(), 26u);
  for (const char *expected :
       {"already graded: 26 sheets, 7 items open in Review.", "Review:\n1. S3:Q6 [open] Faint mark",
        "Decisions:\n",
        "Sheet 19 \u00B7 Question 4: set to D, the darkest mark; the other looks erased",
        "Sheet 22: counted for Hazel Quinn (204517)", "Scores:\n", "Reliability (KR-20): "})
    EXPECT_NE(settled.out.find(expected), std::string::npos) << expected << "\n" << settled.out;
  EXPECT_EQ(settled.out.find("provisional"), std::string::npos);
  expectExports({out / "Sample Class Scan.pdf", out / (stem + " Answer Keys.pdf"),
                 out / (stem + " Result Slips.pdf"), out / (stem + " Item Analysis.pdf")},
                out / (stem + " Scores.csv"));

  CliResult again = run({"sample", "--out", out.path().string(), "--settle"});
  EXPECT_NE(again.out.find("already graded: 26 sheets, 0 items open in Review."), std::string::npos)
      << again.out;
}

} // namespace
} // namespace ovalon
