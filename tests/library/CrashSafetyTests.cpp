#include "library/ExamLibrary.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ovalon {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// A library holding state `a` of a test, its document and one page picture; `b` is another.
class CrashSafety : public ::testing::Test {
protected:
  TempDir folder;
  ExamLibrary library{folder.path()};
  struct {
    ExamDocument a, b;
    Uuid picture = Uuid::random();
    Bytes pictureA = Bytes(200'000, 0xAA), pictureB = Bytes(150'000, 0xBB);
  } v;

  void SetUp() override {
    v.a = v.b = ExamDocument::make(
        Exam::make(Uuid::random(), "Before", Date::now(), 60, 4, 6, Paper::letter, 3));
    v.b.exam.title = "After";
    v.b.exam.setQuestionCount(150);
    for (int i = 0; i < 300; ++i)
      v.b.roster.students.push_back({std::to_string(100000 + i), "First", "Last"});
    ASSERT_TRUE(library.save(v.a) && library.saveImages({{v.picture, v.pictureA}}, v.a.exam.id));
  }
};

size_t temporaries(const fs::path &folder) {
  size_t count = 0;
  for (const auto &entry : fs::directory_iterator(folder))
    count += entry.path().filename().string().starts_with(".");
  return count;
}

// A child saves the two states over each other until it is killed at a random moment.
TEST_F(CrashSafety, aSaveKilledAtAnyMomentLeavesTheOldOrTheNewFileNeverATornOne) {
  std::mt19937 random(20261206);
  for (int round = 0; round < 25; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (bool flip = false;; flip = !flip) {
        (void)library.save(flip ? v.a : v.b);
        (void)library.saveImages({{v.picture, flip ? v.pictureA : v.pictureB}}, v.a.exam.id);
      }
    }
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, 30000)(random)));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);

    const auto loaded = library.loadAll().documents;
    const auto picture = library.loadImage(v.picture, v.a.exam.id);
    EXPECT_TRUE(loaded.size() == 1 && (loaded[0] == v.a || loaded[0] == v.b)) << "round " << round;
    EXPECT_TRUE(picture == v.pictureA || picture == v.pictureB) << "round " << round;
  }

  // Whatever the kills left behind is ignored, then cleared once it is old.
  fs::path tests = folder / "Tests", images = folder / "Images" / v.a.exam.id.text();
  for (const fs::path &dir : {tests, images})
    for (const auto &entry : fs::directory_iterator(dir))
      if (entry.path().filename().string().starts_with("."))
        fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
  ASSERT_TRUE(library.save(v.b) && library.saveImages({{v.picture, v.pictureB}}, v.a.exam.id));
  EXPECT_EQ(temporaries(tests) + temporaries(images), 0u);
}

TEST_F(CrashSafety, aFreshTemporaryOfAnotherSaveIsLeftAlone) {
  fs::path inFlight = folder / "Tests" / ("." + v.a.exam.id.text() + ".json.Ab12Cd");
  std::ofstream(inFlight) << "{";
  ASSERT_TRUE(library.save(v.b));
  EXPECT_TRUE(fs::exists(inFlight) && library.loadAll().documents.size() == 1);
}

// A file-size limit makes the write stop midway, as a full disk does.
TEST_F(CrashSafety, aWriteThatRunsOutOfSpaceGivesTheSaveFailureAndLeavesNoTrace) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // 0 when both saves fail with the write failure, 1 when one went through, 2 otherwise.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0 ||
        library.saveImages({{v.picture, v.pictureB}}, v.a.exam.id))
      _exit(1);
    auto saved = library.save(v.b);
    _exit(saved ? 1 : saved.error().description().starts_with("Couldn\u2019t write") ? 0 : 2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(library.loadAll().documents.at(0), v.a);
  EXPECT_EQ(library.loadImage(v.picture, v.a.exam.id), v.pictureA);
  EXPECT_EQ(temporaries(folder / "Tests") + temporaries(folder / "Images" / v.a.exam.id.text()),
            0u);
}

} // namespace
} // namespace ovalon
