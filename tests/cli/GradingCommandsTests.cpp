#include "library/ExamLibrary.h"
#include "support/CliProcess.h"
#include "support/CliRunner.h"
#include "support/GradingFixtures.h"
#include "support/ScannedPdf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <sys/wait.h>
#include <thread>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

std::string slurp(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A grade or read that can't be done fails with a sentence and leaves the test as it was.
TEST(GradingCommands, aGradeThatCantBeDoneFailsAndWritesNothing) {
  TempDir library;
  TempDir files;
  std::ofstream(files / "notes.txt") << "not a scan";
  testing::writeBytes(files / "blank.pdf",
                      testing::scannedPdf({GrayImage::blank(850, 1100, 250)}, {612, 792},
                                          testing::ScanDepth::gray));
  fs::create_directory(files / "folder.pdf");
  ASSERT_EQ(runCli(library.path(), {"new", "--title", "Quiz"}).status, 0);
  const fs::path document = fs::directory_iterator(library / "Tests")->path();
  const std::string before = slurp(document);
  const std::string notPDF = "notes.txt isn\u2019t a PDF or an image Ovalon can open.\n";
  for (const auto &[command, file, sentence] : std::vector<std::array<std::string, 3>>{
           {"grade", "missing.pdf", "\u201Cmissing.pdf\u201D doesn\u2019t exist.\n"},
           {"grade", "folder.pdf", "\u201Cfolder.pdf\u201D is a folder.\n"},
           {"grade", "notes.txt", notPDF},
           {"read", "notes.txt", notPDF},
           {"grade", "blank.pdf",
            "No answer sheets were graded: 1 page: No Ovalon code found. Nothing was saved.\n"}}) {
    CliResult r = runCli(library.path(), {command, "Quiz", (files / file).string()});
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_EQ(r.err, sentence);
    EXPECT_EQ(slurp(document), before) << file;
    std::error_code none; // no Images folder: nothing stored
    for (auto it = fs::recursive_directory_iterator(library / "Images", none);
         it != fs::recursive_directory_iterator(); ++it)
      EXPECT_FALSE(it->is_regular_file()) << file << " left " << it->path();
  }
}

// Whether `folder` holds a file whose name ends in `ending`, at any depth.
bool holdsFile(const fs::path &folder, std::string_view ending = "") {
  std::error_code none;
  for (auto it = fs::recursive_directory_iterator(folder, none);
       it != fs::recursive_directory_iterator(); it.increment(none))
    if (it->is_regular_file(none) && it->path().string().ends_with(ending))
      return true;
  return false;
}

// Ctrl-C while the pages are being read ends the grade with a sentence; the test is as it
// was and the pictures already stored for the run are gone.
TEST(GradingCommands, aGradeStoppedWhileReadingSavesNothing) {
  TempDir library;
  TempDir files;
  ASSERT_EQ(runCli(library.path(), {"new", "--title", "Quiz"}).status, 0);
  const std::string scan = (files / "class.pdf").string();
  ASSERT_EQ(
      runCli(library.path(), {"simulate", "Quiz", "-o", scan, "--students", "60", "--dpi", "100"})
          .status,
      0);
  const fs::path document = fs::directory_iterator(library / "Tests")->path();
  const std::string before = slurp(document);

  CliProcess grade(library.path(), {"grade", "Quiz", scan});
  // The first page's picture is stored as soon as it is read: the run is under way.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!holdsFile(library / "Images", ".jpg") && std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_TRUE(holdsFile(library / "Images", ".jpg")) << "no page was read";
  kill(grade.pid(), SIGINT);
  const CliResult r = grade.wait();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Grading was stopped, so nothing was saved.\n"), std::string::npos) << r.err;
  EXPECT_EQ(slurp(document), before);
  EXPECT_FALSE(holdsFile(library / "Images"));
}

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
  for (const char *line :
       {"Sheet 1\tAda Lovelace\t101\tA\t4 / 4\t100.0%\n",
        "Sheet 2\tNot on roster\t555\tA\t2 / 4\t50.0%\tprovisional\n", "Sheets: 2\nMean: 75.0%"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
  EXPECT_EQ(r.out.find("Sheet 3"), std::string::npos);

  auto j = nlohmann::json::parse(runCli(library.path(), {"scores", "Quiz", "--json"}).out);
  ASSERT_EQ(j["sheets"].size(), 2u);
  EXPECT_EQ(j["sheets"][1]["provisional"], true);
  EXPECT_EQ(j["sheets"][1]["percent"], 50.0);
  ASSERT_EQ(j["items"].size(), 4u);
  EXPECT_EQ(j["items"][0]["percentRight"], 100.0);
  EXPECT_EQ(j["items"][2]["blank"], 1);
}

// The shell block that follows the walkthrough marker in the README.
std::string walkthrough(const std::string &readme) {
  size_t open = readme.find("```sh\n", readme.find("<!-- walkthrough: run by the test suite"));
  size_t close = open == std::string::npos ? open : readme.find("\n```", open);
  return close == std::string::npos ? "" : readme.substr(open + 6, close - open - 6);
}

// Every command of the README's walkthrough, run as a teacher would paste them.
TEST(ReadmeWalkthrough, runsAsWritten) {
  std::string script = walkthrough(slurp(fs::path(OVALON_TESTS_DIR).parent_path() / "README.md"));
  ASSERT_FALSE(script.empty()) << "the README has a walkthrough block";
  testing::TempDir work, library;
  std::ofstream(work / "walkthrough.sh") << "set -euo pipefail\n" << script << "\n";
  const fs::path cli = fs::path(std::getenv("OVALON_CLI")).parent_path();
  std::string command = "cd '" + work.path().string() + "' && PATH='" + cli.string() +
                        "':\"$PATH\" OVALON_LIBRARY='" + library.path().string() +
                        "' bash walkthrough.sh >out.txt 2>err.txt </dev/null";
  int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << slurp(work / "out.txt") << "\n"
                                                       << slurp(work / "err.txt");

  std::vector<ExamDocument> tests = ExamLibrary{library.path()}.loadAll().documents;
  ASSERT_EQ(tests.size(), 1u);
  EXPECT_FALSE(tests[0].sheets.empty());
  for (const char *file :
       {"Unit 3 sheets.pdf", "scan.pdf", "Unit 3 quiz Scores.csv", "Unit 3 quiz Result Slips.pdf",
        "Unit 3 quiz Item Analysis.pdf", "Unit 3 quiz Answer Keys.pdf"}) {
    ASSERT_TRUE(fs::exists(work / file)) << file;
    EXPECT_GT(fs::file_size(work / file), 0u) << file;
  }
}

} // namespace
} // namespace ovalon
