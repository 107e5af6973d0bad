#include "library/ExamLibrary.h"
#include "support/CliRunner.h"
#include "support/ScannedPdf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace ovalon {
namespace {

using testing::CliResult;
using testing::runCli;
using testing::TempDir;
namespace fs = std::filesystem;

constexpr const char *sampleID = "3C9E51A0";

std::string slurp(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t filesUnder(const fs::path &folder) {
  size_t count = 0;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       it != fs::recursive_directory_iterator(); ++it)
    count += it->is_regular_file();
  return count;
}

// The one file in `folder` with that extension.
fs::path only(const fs::path &folder, const std::string &extension) {
  fs::path found;
  for (const auto &entry : fs::directory_iterator(folder))
    if (entry.path().extension() == extension)
      found = entry.path();
  return found;
}

// The sample class from an empty library to the export gate, the way a new user meets it.
TEST(GradingCommands, sampleClassIsGradedOnceAndReadsAsSimulated) {
  TempDir library;
  TempDir out;
  CliResult first = runCli(library.path(), {"sample", "--out", out.path().string()});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("Graded 26 sheets\n"), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("marks need a look in Review before scores go out."), std::string::npos);
  EXPECT_NE(first.out.find("The scores, slips and report wait: 7 items still need a look in "
                           "Review."),
            std::string::npos);
  fs::path scan = out / "Sample Class Scan.pdf";
  ASSERT_TRUE(fs::exists(scan));
  EXPECT_TRUE(fs::exists(out / "Sample Class - Cells & Organelles Answer Keys.pdf"));
  EXPECT_FALSE(fs::exists(out / "Sample Class - Cells & Organelles Scores.csv"));
  ExamDocument doc = ExamLibrary{library.path()}.loadAll().documents.at(0);
  EXPECT_EQ(doc.sheets.size(), 26u);
  EXPECT_TRUE(doc.issues.empty());
  size_t pictures = 0;
  for (const auto &sheet : doc.sheets)
    pictures += sheet.pageImages.size();
  EXPECT_EQ(pictures, 26u);
  EXPECT_EQ(std::distance(fs::directory_iterator(library / "Images" / doc.exam.id.text()),
                          fs::directory_iterator{}),
            26);

  CliResult again = runCli(library.path(), {"sample", "--out", out.path().string()});
  ASSERT_EQ(again.status, 0);
  EXPECT_EQ(again.out.find("Graded"), std::string::npos);
  EXPECT_EQ(ExamLibrary{library.path()}.loadAll().documents.at(0).sheets.size(), 26u);

  CliResult read = runCli(library.path(), {"read", sampleID, scan.string(), "--json"});
  ASSERT_EQ(read.status, 0) << read.err;
  std::istringstream lines(read.out);
  std::string line;
  int pages = 0;
  while (std::getline(lines, line)) {
    auto page = nlohmann::json::parse(line);
    EXPECT_FALSE(page.contains("problem"));
    EXPECT_EQ(page["questions"].size(), 30u);
    EXPECT_EQ(page["readID"].get<std::string>().size(), 6u);
    ++pages;
  }
  EXPECT_EQ(pages, 26);

  CliResult blocked = runCli(library.path(), {"export", sampleID, "--csv", "x.csv"});
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(blocked.err.find("Scores aren\u2019t ready to export: "), std::string::npos);
  EXPECT_NE(runCli(library.path(), {"scores", sampleID}).out.find("provisional"),
            std::string::npos);
}

// A grade that can't be done fails with a sentence and leaves the test as it was.
TEST(GradingCommands, aGradeThatCantBeDoneFailsAndWritesNothing) {
  TempDir library;
  TempDir files;
  std::ofstream(files / "notes.txt") << "not a scan";
  testing::writeBytes(files / "blank.pdf",
                      testing::scannedPdf({GrayImage::blank(850, 1100, 250)}, {612, 792},
                                          testing::ScanDepth::gray));
  fs::create_directory(files / "folder.pdf");
  ASSERT_EQ(runCli(library.path(), {"new", "--title", "Quiz"}).status, 0);
  const std::string before = slurp(only(library / "Tests", ".json"));
  struct Case {
    std::string file;
    std::string sentence;
  };
  for (const Case &c : std::vector<Case>{
           {"missing.pdf", "\u201Cmissing.pdf\u201D doesn\u2019t exist.\n"},
           {"folder.pdf", "\u201Cfolder.pdf\u201D is a folder.\n"},
           {"notes.txt", "notes.txt isn\u2019t a PDF or an image Ovalon can open.\n"},
           {"blank.pdf", "No answer sheets were graded: 1 page: No Ovalon code found. Nothing was "
                         "saved.\n"}}) {
    CliResult graded = runCli(library.path(), {"grade", "Quiz", (files / c.file).string()});
    EXPECT_EQ(graded.status, 1) << c.file;
    EXPECT_EQ(graded.err, c.sentence);
    EXPECT_EQ(slurp(only(library / "Tests", ".json")), before) << c.file;
    EXPECT_EQ(filesUnder(library / "Images"), 0u) << c.file;
  }
  CliResult read = runCli(library.path(), {"read", "Quiz", (files / "notes.txt").string()});
  EXPECT_EQ(read.status, 1);
  EXPECT_EQ(read.err, "notes.txt isn\u2019t a PDF or an image Ovalon can open.\n");
}

} // namespace
} // namespace ovalon
