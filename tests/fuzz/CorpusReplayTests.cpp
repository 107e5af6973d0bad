#include "fuzz/FuzzEntries.h"
#include "library/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ovalon {
namespace {

namespace fs = std::filesystem;

// Every seed and every input a fuzzer ever found trouble with, run through the
// same entry points in the normal build and under the sanitizers.
class FuzzCorpus : public ::testing::TestWithParam<fuzz::Target> {};

TEST_P(FuzzCorpus, everyKeptInputRunsClean) {
  const fs::path folder = fs::path(OVALON_TESTS_DIR) / "fuzz" / "corpus" / GetParam().name;
  int inputs = 0;
  for (const auto &entry : fs::directory_iterator(folder)) {
    auto bytes = FileIO::read(entry.path());
    ASSERT_TRUE(bytes) << entry.path();
    SCOPED_TRACE(entry.path().filename().string());
    GetParam().run(*bytes);
    ++inputs;
  }
  EXPECT_GE(inputs, 3) << "each target keeps a few seeds";
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus, ::testing::ValuesIn(fuzz::targets),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace ovalon
