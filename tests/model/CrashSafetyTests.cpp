#include "model/ExamLibrary.h"
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

// Two saved states of one test: its document and one page picture each.
struct Versions {
  ExamDocument a, b;
  Uuid picture = Uuid::random();
  Bytes pictureA = Bytes(200'000, 0xAA), pictureB = Bytes(150'000, 0xBB);

  Versions() {
    a = ExamDocument::make(
        Exam::make(Uuid::random(), "Before", Date::now(), 60, 4, 6, Paper::letter, 3));
    b = a;
    b.exam.title = "After";
    b.exam.setQuestionCount(150);
    for (int i = 0; i < 300; ++i)
      b.roster.students.push_back({std::to_string(100000 + i), "First", "Last"});
  }
};

size_t temporaries(const fs::path &folder) {
  size_t count = 0;
  for (const auto &entry : fs::directory_iterator(folder))
    count += entry.path().filename().string().starts_with(".");
  return count;
}

// A child saves the two states over each other until it is killed at a random moment.
TEST(CrashSafety, aSaveKilledAtAnyMomentLeavesTheOldOrTheNewFileNeverATornOne) {
  TempDir folder;
  ExamLibrary library(folder.path());
  Versions v;
  ASSERT_TRUE(library.save(v.a));
  ASSERT_TRUE(library.saveImages({{v.picture, v.pictureA}}, v.a.exam.id));
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

    std::vector<ExamDocument> loaded = library.loadAll();
    ASSERT_EQ(loaded.size(), 1u) << "round " << round;
    EXPECT_TRUE(loaded[0] == v.a || loaded[0] == v.b) << "round " << round;
    auto picture = library.loadImage(v.picture, v.a.exam.id);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(*picture == v.pictureA || *picture == v.pictureB) << "round " << round;
  }

  // Whatever the kills left behind is ignored, then cleared once it is old.
  fs::path tests = folder / "Tests", images = folder / "Images" / v.a.exam.id.text();
  for (const fs::path &dir : {tests, images})
    for (const auto &entry : fs::directory_iterator(dir))
      if (entry.path().filename().string().starts_with("."))
        fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
  ASSERT_TRUE(library.save(v.b));
  ASSERT_TRUE(library.saveImages({{v.picture, v.pictureB}}, v.a.exam.id));
  EXPECT_EQ(temporaries(tests), 0u);
  EXPECT_EQ(temporaries(images), 0u);
}

TEST(CrashSafety, aFreshTemporaryOfAnotherSaveIsLeftAlone) {
  TempDir folder;
  ExamLibrary library(folder.path());
  Versions v;
  ASSERT_TRUE(library.save(v.a));
  fs::path inFlight = folder / "Tests" / ("." + v.a.exam.id.text() + ".json.Ab12Cd");
  std::ofstream(inFlight) << "{";
  ASSERT_TRUE(library.save(v.b));
  EXPECT_TRUE(fs::exists(inFlight));
  EXPECT_EQ(library.loadAll().size(), 1u);
}

// Root may write anywhere, so the check runs as an ordinary user where it can.
TEST(CrashSafety, aReadOnlyFolderGivesTheSaveFailureAndKeepsTheOldFile) {
  TempDir folder;
  ExamLibrary library(folder.path());
  Versions v;
  ASSERT_TRUE(library.save(v.a));
  fs::permissions(folder / "Tests", fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(folder.path(), fs::perms::all);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && setuid(65534) != 0)
      _exit(3);
    auto saved = library.save(v.b);
    _exit(saved ? 1 : saved.error().description().starts_with("Couldn\u2019t write") ? 0 : 2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  fs::permissions(folder / "Tests", fs::perms::owner_all);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the save went through; 2: another message";
  EXPECT_EQ(library.loadAll().at(0), v.a);
}

// A file-size limit makes the write stop midway, as a full disk does.
TEST(CrashSafety, aWriteThatRunsOutOfSpaceGivesTheSaveFailureAndLeavesNoTrace) {
  TempDir folder;
  ExamLibrary library(folder.path());
  Versions v;
  ASSERT_TRUE(library.save(v.a));
  ASSERT_TRUE(library.saveImages({{v.picture, v.pictureA}}, v.a.exam.id));
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
      _exit(3);
    auto saved = library.save(v.b);
    auto pictures = library.saveImages({{v.picture, v.pictureB}}, v.a.exam.id);
    bool bothFailed = !saved && !pictures;
    _exit(!bothFailed ? 1 : saved.error().description().starts_with("Couldn\u2019t write") ? 0 : 2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a save went through; 2: another message";
  EXPECT_EQ(library.loadAll().at(0), v.a);
  EXPECT_EQ(library.loadImage(v.picture, v.a.exam.id), v.pictureA);
  EXPECT_EQ(temporaries(folder / "Tests"), 0u);
  EXPECT_EQ(temporaries(folder / "Images" / v.a.exam.id.text()), 0u);
}

} // namespace
} // namespace ovalon
