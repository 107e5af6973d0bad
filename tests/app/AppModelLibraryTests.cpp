#include "library/DocumentJSON.h"
#include "library/FileIO.h"
#include "model/AppModel.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ovalon {
namespace {

using testing::TempDir;
namespace fs = std::filesystem;

// Each write of a document replaces its file, so the inode number tells writes apart.
struct FileWatch {
  fs::path path;
  std::optional<ino_t> inode() const {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
      return std::nullopt;
    return info.st_ino;
  }
};

ExamDocument storedDocument(const fs::path &path) {
  auto bytes = FileIO::read(path);
  EXPECT_TRUE(bytes);
  return *DocumentJSON::decode(std::string(bytes->begin(), bytes->end()));
}

void waitForSaves() {
  QTest::qWait(AppModel::saveDelayMilliseconds + 400);
}

TEST(AppModelLibrary, emptyLibraryStartsWithoutSelectionAndNewTestUsesDefaults) {
  TempDir dir;
  AppModel model(ExamLibrary{dir.path()});
  EXPECT_TRUE(model.documents().empty());
  EXPECT_FALSE(model.selectedID());
  model.setTab(AppModel::Tab::report);
  model.newTest();
  ASSERT_EQ(model.documents().size(), 1u);
  const ExamDocument *doc = model.selectedDocument();
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->exam.title, "Untitled Test");
  EXPECT_EQ(doc->exam.signature().summary(), "20 questions, A\u2013D, 6-digit ID, US Letter");
  EXPECT_EQ(model.tab(), AppModel::Tab::builder);
  waitForSaves();
  EXPECT_EQ(ExamLibrary{dir.path()}.loadAll().documents.size(), 1u);
}

TEST(AppModelLibrary, startsFromTheLibraryNewestFirst) {
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
}

TEST(AppModelLibrary, burstOfEditsIsWrittenOnceWithTheLastState) {
  TempDir dir;
  AppModel model(ExamLibrary{dir.path()});
  model.newTest();
  Uuid id = *model.selectedID();
  waitForSaves();
  FileWatch file{model.library().documentPath(id)};
  auto before = file.inode();
  ASSERT_TRUE(before);
  for (int n : {1, 2, 3})
    model.update([n](ExamDocument &d) { d.exam.title = "Edit " + std::to_string(n); });
  EXPECT_TRUE(model.hasPendingSave(id));
  QTest::qWait(150);
  EXPECT_EQ(file.inode(), before); // nothing written inside the half second
  waitForSaves();
  EXPECT_NE(file.inode(), before);
  EXPECT_EQ(storedDocument(file.path).exam.title, "Edit 3");
}

TEST(AppModelLibrary, editsToTwoTestsAreEachSaved) {
  TempDir dir;
  AppModel model(ExamLibrary{dir.path()});
  model.newTest();
  Uuid first = *model.selectedID();
  model.newTest();
  Uuid second = *model.selectedID();
  model.update([](ExamDocument &d) { d.exam.title = "One"; }, first);
  model.update([](ExamDocument &d) { d.exam.title = "Two"; }, second);
  waitForSaves();
  EXPECT_EQ(storedDocument(model.library().documentPath(first)).exam.title, "One");
  EXPECT_EQ(storedDocument(model.library().documentPath(second)).exam.title, "Two");
}

TEST(AppModelLibrary, updateStampsModifiedAndIgnoresUnknownTests) {
  TempDir dir;
  AppModel model(ExamLibrary{dir.path()});
  model.newTest();
  Date before = model.selectedDocument()->modified;
  QTest::qWait(5);
  model.update([](ExamDocument &d) { d.exam.setQuestionCount(30); });
  EXPECT_GT(model.selectedDocument()->modified, before);
  auto documents = model.documents();
  model.update([](ExamDocument &d) { d.exam.title = "x"; }, Uuid::random());
  EXPECT_EQ(model.documents(), documents);
}

TEST(AppModelLibrary, duplicateCopiesKeyAndRosterButNotSheets) {
  TempDir dir;
  AppModel model(ExamLibrary{dir.path()});
  model.newTest();
  Uuid source = *model.selectedID();
  model.update([](ExamDocument &d) {
    d.exam.title = "Quiz";
    d.exam.applyKeyText("ABCD", 0);
    d.roster.students.push_back({"7", "Ada", "Lovelace"});
    d.sheets.push_back({});
  });
  ExamDocument original = *model.document(source);
  model.duplicateTest(source);
  const ExamDocument *copy = model.selectedDocument();
  ASSERT_TRUE(copy);
  EXPECT_NE(copy->exam.id, source);
  EXPECT_EQ(copy->exam.title, "Quiz (Copy)");
  EXPECT_EQ(copy->exam.key, original.exam.key);
  EXPECT_EQ(copy->exam.seed, original.exam.seed);
  EXPECT_EQ(copy->roster, original.roster);
  EXPECT_TRUE(copy->sheets.empty());
  EXPECT_EQ(*model.document(source), original);
}

TEST(AppModelLibrary, deletingSelectsTheFirstRemainingTestAndCancelsItsSave) {
  TempDir dir;
  AppModel model(ExamLibrary{dir.path()});
  model.newTest();
  Uuid first = *model.selectedID();
  model.newTest();
  Uuid second = *model.selectedID();
  model.askToDelete(second);
  ASSERT_TRUE(model.testToDelete());
  model.confirmDelete();
  EXPECT_FALSE(model.testToDelete());
  EXPECT_EQ(model.selectedID(), first);
  waitForSaves();
  EXPECT_FALSE(fs::exists(model.library().documentPath(second)));
  model.deleteTest(first);
  EXPECT_FALSE(model.selectedID());
  EXPECT_TRUE(model.documents().empty());
  QTest::qWait(200);
  EXPECT_FALSE(fs::exists(model.library().documentPath(first)));
}

TEST(AppModelLibrary, selectingAnotherTestResetsWhatWasSelectedInside) {
  TempDir dir;
  AppModel model(ExamLibrary{dir.path()});
  model.newTest();
  Uuid first = *model.selectedID();
  model.newTest();
  model.update([](ExamDocument &d) {
    d.exam.setQuestionCount(150);
    d.exam.setVersionCount(2);
  });
  Uuid sheet = Uuid::random();
  model.setSelectedSheet(sheet);
  model.setPreviewPage(2);
  model.setPrintVersion(1);
  QSignalSpy spy(&model, &AppModel::selectionChanged);
  model.select(model.selectedID());
  EXPECT_EQ(spy.count(), 0);
  EXPECT_EQ(model.selectedSheet(), sheet);
  EXPECT_EQ(model.previewPage(), 2);
  EXPECT_EQ(model.printVersion(), 1);
  model.select(first);
  EXPECT_FALSE(model.selectedSheet());
  EXPECT_EQ(model.previewPage(), 1);
  EXPECT_EQ(model.printVersion(), 0);
  EXPECT_GE(spy.count(), 1);
}

TEST(AppModelLibrary, flushWritesPendingEditsAtOnce) {
  TempDir dir;
  auto model = std::make_unique<AppModel>(ExamLibrary{dir.path()});
  model->newTest();
  Uuid id = *model->selectedID();
  model->update([](ExamDocument &d) { d.exam.title = "Before quitting"; });
  model->flushSaves();
  EXPECT_FALSE(model->hasPendingSave(id));
  model.reset();
  EXPECT_EQ(storedDocument(ExamLibrary{dir.path()}.documentPath(id)).exam.title, "Before quitting");
}

TEST(AppModelLibrary, failedSaveOrDeleteBecomesAMessage) {
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
  EXPECT_FALSE(model.message()->detail.empty());
  EXPECT_EQ(model.selectedDocument()->exam.title, "Blocked");

  model.clearMessage();
  model.deleteTest(id);
  model.waitForBackgroundWrites();
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.message().has_value(); }, 2000));
  EXPECT_EQ(model.message()->title, "\u201CBlocked\u201D couldn\u2019t be deleted");
}

TEST(AppModelLibrary, pageImagesAreDecodedOnceAndMissingOnesAreAbsent) {
  TempDir dir;
  AppModel model(ExamLibrary{dir.path()});
  EXPECT_FALSE(model.image(Uuid::random())); // nothing selected
  model.newTest();
  Uuid examID = *model.selectedID();
  QImage picture(8, 6, QImage::Format_Grayscale8);
  picture.fill(128);
  QByteArray jpeg;
  {
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "JPG"));
  }
  Uuid good = Uuid::random(), broken = Uuid::random();
  ASSERT_TRUE(model.library().saveImages(
      {{good, Bytes(jpeg.begin(), jpeg.end())}, {broken, Bytes{1, 2, 3}}}, examID));
  auto decoded = model.image(good);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->size(), QSize(8, 6));
  model.library().deleteImages({good}, examID);
  EXPECT_TRUE(model.image(good)); // served from the cache
  EXPECT_FALSE(model.imageData(good));
  EXPECT_FALSE(model.image(broken));
  EXPECT_FALSE(model.image(Uuid::random()));
}

} // namespace
} // namespace ovalon
