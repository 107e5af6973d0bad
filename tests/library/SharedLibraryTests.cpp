// One library changed by several programs: each change applied under the
// test's lock to the document as it is on disk, summaries that follow the
// file, and pictures that arrive only with the document that names them.

#include "library/DocumentJSON.h"
#include "library/ExamLibrary.h"
#include "library/ImageStaging.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace ovalon {
namespace {

namespace fs = std::filesystem;
using Edited = ExamLibrary::Edited;
using Result = std::expected<Edited, std::string>;
using Kind = ExamLibrary::Failure::Kind;
using testing::TempDir;

class SharedLibrary : public ::testing::Test {
protected:
  TempDir folder;
  ExamLibrary library{folder.path(), std::chrono::milliseconds(200)};
  ExamDocument doc =
      ExamDocument::make(Exam::make(Uuid::random(), "Shared", Date{5}, 10, 4, 4, Paper::letter, 3));

  void SetUp() override { ASSERT_TRUE(library.create(doc)); }

  ExamLibrary::Edit setTitle(std::string title) {
    return [title](ExamDocument &d) -> Result {
      d.exam.title = title;
      return Edited::changed;
    };
  }
  std::string storedTitle() const { return library.load(doc.exam.id)->document.exam.title; }
};

TEST_F(SharedLibrary, anEditIsAppliedToTheDocumentOnDiskNotToAnOlderCopy) {
  auto before = library.load(doc.exam.id);
  ASSERT_TRUE(library.update(doc.exam.id, [](ExamDocument &d) -> Result {
    d.roster.students.push_back({"1001", "Ada", "Lovelace"});
    return Edited::changed;
  }));
  ExamLibrary::UpdateOptions stale{
      .loadedAt = before->stamp, .refuseIfChanged = false, .pictures = nullptr, .beforeWrite = {}};
  auto updated = library.update(doc.exam.id, setTitle("Renamed"), stale);
  ASSERT_TRUE(updated);
  EXPECT_TRUE(updated->changedElsewhere);
  auto now = library.load(doc.exam.id);
  EXPECT_EQ(std::tuple(now->document.exam.title, now->document.roster.students.size(), now->stamp),
            std::tuple(std::string("Renamed"), 1uz, updated->stamp))
      << "the other change is kept";

  stale.refuseIfChanged = true;
  auto refused = library.update(doc.exam.id, setTitle("Again"), stale);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().kind, Kind::changed);
  EXPECT_EQ(storedTitle(), "Renamed");
}

TEST_F(SharedLibrary, anEditThatRefusesOrBreaksARuleWritesNothing) {
  const auto stamp = library.load(doc.exam.id)->stamp;
  auto refused = library.update(doc.exam.id, [](ExamDocument &d) -> Result {
    d.exam.title = "Half done";
    return std::unexpected("Not now.");
  });
  ASSERT_FALSE(refused);
  EXPECT_EQ(std::pair(refused.error().kind, refused.error().description()),
            std::pair(Kind::refused, std::string("Not now.")));
  auto broken = library.update(doc.exam.id, [](ExamDocument &d) -> Result {
    d.exam.key.pop_back();
    return Edited::changed;
  });
  EXPECT_EQ(broken.error().kind, Kind::notSaved);
  auto unchanged =
      library.update(doc.exam.id, [](ExamDocument &) -> Result { return Edited::unchanged; });
  EXPECT_FALSE(unchanged.value().saved);
  EXPECT_EQ(library.load(doc.exam.id)->stamp, stamp) << "the file was never rewritten";
  EXPECT_FALSE(library.update(Uuid::random(), setTitle("Nobody")).has_value());
  EXPECT_FALSE(library.create(doc)) << "a test is created once";
}

TEST_F(SharedLibrary, aTestHeldByAnotherProgramWaitsThenNamesTheHolder) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    auto held = ExamLock::acquire(library.lockPath(doc.exam.id));
    (void)!write(ready[1], "1", 1);
    pause();
  }
  char byte;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  auto refused = library.update(doc.exam.id, setTitle("Blocked"));
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().kind, Kind::locked);
  EXPECT_TRUE(refused.error().description().contains("process " + std::to_string(holder)))
      << refused.error().description();
  EXPECT_FALSE(library.remove(doc.exam.id)) << "a delete waits for the lock too";
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_TRUE(library.update(doc.exam.id, setTitle("Free")));
  EXPECT_EQ(storedTitle(), "Free");
}

TEST_F(SharedLibrary, theListingFollowsTheFileEvenWhenItIsEditedByHand) {
  auto listed = library.list();
  ASSERT_EQ(listed.tests.size(), 1u);
  EXPECT_EQ(listed.tests[0], DocumentSummary::of(library.load(doc.exam.id)->document));

  // Written by something that knows nothing of summaries.
  ExamDocument renamed = library.load(doc.exam.id)->document;
  renamed.exam.title = "Edited by hand";
  std::ofstream(library.documentPath(doc.exam.id)) << *DocumentJSON::encode(renamed);
  EXPECT_EQ(library.list().tests.at(0).title, "Edited by hand");
}

TEST_F(SharedLibrary, picturesArriveOnlyWithTheDocumentThatNamesThem) {
  const Uuid kept = Uuid::random(), dropped = Uuid::random();
  {
    auto staging = ImageStaging::open(library, doc.exam.id).value();
    ASSERT_TRUE(staging.add(kept, Bytes{1}) && staging.add(dropped, Bytes{2}));
    auto namesKept = [&](ExamDocument &d) -> Result {
      d.issues.push_back({Uuid::random(), "scan.pdf", 1, PageProblem::noCode(), {}, kept, false});
      return Edited::changed;
    };
    ASSERT_TRUE(library.update(
        doc.exam.id, namesKept,
        {.loadedAt = {}, .refuseIfChanged = false, .pictures = &staging, .beforeWrite = {}}));
  }
  {
    auto failed = ImageStaging::open(library, doc.exam.id).value();
    ASSERT_TRUE(failed.add(Uuid::random(), Bytes{3}));
  }
  EXPECT_TRUE(library.loadImage(kept, doc.exam.id) == Bytes{1} &&
              !library.loadImage(dropped, doc.exam.id));
  EXPECT_EQ(std::distance(fs::directory_iterator(library.imagesFolder(doc.exam.id)), {}), 1)
      << "a run that never saved leaves nothing";
}

} // namespace
} // namespace ovalon
