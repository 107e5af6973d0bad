#include "AppTestScans.h"

#include "model/AppModel.h"
#include "support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Each write of a document replaces its file, so the inode number tells writes apart.
std::optional<ino_t> inode(const fs::path &path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? std::optional(info.st_ino) : std::nullopt;
}

TEST(AppModelLibrary, opensNewestFirstAndANewTestStartsFromTheDefaults) {
  TempDir dir;
  ExamLibrary library{dir.path()};
  for (double t : {10.0, 30.0, 20.0}) {
    ExamDocument doc = ExamDocument::make(Exam::untitled());
    doc.exam.title = std::to_string(int(t));
    doc.modified = Date{t};
    ASSERT_TRUE(library.save(doc));
  }
  AppModel model(library);
  ASSERT_EQ(model.documents().size(), 3u);
  EXPECT_EQ(model.documents()[0].exam.title, "30");
  EXPECT_EQ(model.selectedDocument()->exam.title, "30");

  model.setTab(AppModel::Tab::report);
  model.newTest();
  EXPECT_EQ(model.selectedDocument()->exam.title, "Untitled Test");
  EXPECT_EQ(model.tab(), AppModel::Tab::builder);
  model.update([](ExamDocument &d) { d.roster.students.push_back({"7", "Ada", "Lovelace"}); });
  model.duplicateTest(*model.selectedID());
  EXPECT_EQ(model.selectedDocument()->exam.title, "Untitled Test (Copy)");
  EXPECT_EQ(model.selectedDocument()->roster.students.size(), 1u);

  // Deleting the copy drops its pending save and selects what is left.
  const Uuid copy = *model.selectedID();
  model.update([](ExamDocument &d) { d.exam.title = "Pending"; });
  model.askToDelete(copy);
  model.confirmDelete();
  EXPECT_FALSE(model.testToDelete());
  EXPECT_EQ(model.selectedID(), model.documents().front().exam.id);
  waitForSaves();
  EXPECT_FALSE(fs::exists(model.library().documentPath(copy)));
  EXPECT_EQ(ExamLibrary{dir.path()}.loadAll().documents.size(), 4u);
}

TEST(AppModelLibrary, aBurstOfEditsIsWrittenOnceAndQuittingWritesAtOnce) {
  TempDir dir;
  auto model = std::make_unique<AppModel>(ExamLibrary{dir.path()});
  model->newTest();
  Uuid id = *model->selectedID();
  waitForSaves();
  const fs::path file = model->library().documentPath(id);
  auto before = inode(file);
  ASSERT_TRUE(before);
  for (int n : {1, 2, 3})
    model->update([n](ExamDocument &d) { d.exam.title = "Edit " + std::to_string(n); });
  EXPECT_TRUE(model->hasPendingSave(id));
  QTest::qWait(150);
  EXPECT_EQ(inode(file), before) << "nothing is written inside the half second";
  waitForSaves();
  EXPECT_NE(inode(file), before);
  EXPECT_EQ(storedDocument(model->library(), id)->exam.title, "Edit 3");

  model->update([](ExamDocument &d) { d.exam.title = "Before quitting"; });
  model->flushSaves();
  EXPECT_FALSE(model->hasPendingSave(id));
  model.reset();
  EXPECT_EQ(storedDocument(ExamLibrary{dir.path()}, id)->exam.title, "Before quitting");
}

TEST(AppModelLibrary, aFailedSaveOrDeleteBecomesAMessage) {
  TempDir dir;
  AppModel model(ExamLibrary{dir.path()});
  model.newTest();
  Uuid id = *model.selectedID();
  waitForSaves();
  fs::remove(model.library().documentPath(id));
  fs::create_directories(model.library().documentPath(id) / "blocker");
  model.update([](ExamDocument &d) { d.exam.title = "Blocked"; });
  waitForSaves();
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "\u201CBlocked\u201D couldn\u2019t be saved");
  EXPECT_EQ(model.selectedDocument()->exam.title, "Blocked");

  model.clearMessage();
  model.deleteTest(id);
  model.waitForBackgroundWrites();
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.message().has_value(); }, 2000));
  EXPECT_EQ(model.message()->title, "\u201CBlocked\u201D couldn\u2019t be deleted");
}

} // namespace
} // namespace ovalon
