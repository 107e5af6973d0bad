#include "library/ExamLibrary.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace ovalon {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The shell block that follows the walkthrough marker in the README.
std::string walkthrough(const std::string &readme) {
  const std::string marker = "<!-- walkthrough: run by the test suite as written -->";
  size_t at = readme.find(marker);
  if (at == std::string::npos)
    return {};
  size_t open = readme.find("```sh\n", at);
  size_t close = readme.find("\n```", open);
  if (open == std::string::npos || close == std::string::npos)
    return {};
  return readme.substr(open + 6, close - open - 6);
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
