#include "support/CliRunner.h"
#include "support/ScannedPdf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace ovalon {
namespace {

using testing::CliResult;
using testing::runCli;
using testing::TempDir;
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
  struct Case {
    std::string command, file, sentence;
  };
  for (const Case &c : std::vector<Case>{
           {"grade", "missing.pdf", "\u201Cmissing.pdf\u201D doesn\u2019t exist.\n"},
           {"grade", "folder.pdf", "\u201Cfolder.pdf\u201D is a folder.\n"},
           {"grade", "notes.txt", notPDF},
           {"read", "notes.txt", notPDF},
           {"grade", "blank.pdf",
            "No answer sheets were graded: 1 page: No Ovalon code found. Nothing was saved.\n"}}) {
    CliResult r = runCli(library.path(), {c.command, "Quiz", (files / c.file).string()});
    EXPECT_EQ(r.status, 1) << c.file;
    EXPECT_EQ(r.err, c.sentence);
    EXPECT_EQ(slurp(document), before) << c.file;
    std::error_code none; // no Images folder: nothing stored
    for (auto it = fs::recursive_directory_iterator(library / "Images", none);
         it != fs::recursive_directory_iterator(); ++it)
      EXPECT_FALSE(it->is_regular_file()) << c.file << " left " << it->path();
  }
}

} // namespace
} // namespace ovalon
