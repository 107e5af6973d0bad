#include "AppTestScans.h"

#include "library/FileIO.h"
#include "model/AppModel.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

struct ChangedTests {
  std::vector<Uuid> ids;
  explicit ChangedTests(AppModel &model) {
    QObject::connect(&model, &AppModel::documentChanged,
                     [this](const Uuid &id) { ids.push_back(id); });
  }
};

// Well past the folder watch's short delay, with room for a busy machine.
constexpr int seenWithin = 3000;

TEST(AppModelWatch, testsChangedAddedOrRemovedElsewhereReachTheScreensSignals) {
  TempDir dir;
  ExamLibrary library{dir.path()};
  ExamDocument first = quizDocument(), second = quizDocument();
  ASSERT_TRUE(library.create(first));
  AppModel model(library);
  model.select(first.exam.id);
  ChangedTests changed(model);
  QSignalSpy listed(&model, &AppModel::libraryChanged);

  ASSERT_TRUE(library.update(first.exam.id, [](ExamDocument &d) {
    d.exam.title = "Renamed by the command line";
    return ExamLibrary::Edited::changed;
  }));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return model.document(first.exam.id)->exam.title == "Renamed by the command line"; },
      seenWithin));
  EXPECT_EQ(changed.ids, std::vector<Uuid>{first.exam.id});

  ASSERT_TRUE(library.create(second));
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.document(second.exam.id); }, seenWithin));
  EXPECT_GE(listed.count(), 1);

  // Deleted elsewhere with an edit not saved yet: the teacher is told, and the
  // pending save must not bring the test back.
  listed.clear();
  QSignalSpy messages(&model, &AppModel::messageChanged);
  model.update([](ExamDocument &d) { d.exam.title = "Edited here"; });
  ASSERT_TRUE(library.remove(first.exam.id));
  model.reloadLibrary();
  EXPECT_FALSE(model.document(first.exam.id));
  EXPECT_GE(listed.count(), 1);
  EXPECT_EQ(model.selectedID(), second.exam.id) << "the test shown was deleted elsewhere";
  ASSERT_TRUE(model.message());
  EXPECT_EQ(*model.message(),
            (AppModel::Message{model.message()->id,
                               "\u201CEdited here\u201D was deleted by another program",
                               "Your changes to it since the last save were not kept."}));

  ASSERT_TRUE(library.remove(second.exam.id));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !model.document(second.exam.id); }, seenWithin));
  EXPECT_EQ(model.message()->title, "\u201CQuiz\u201D was deleted by another program");
  EXPECT_EQ(model.message()->detail, "Its file left the library folder while Ovalon was open.");
  waitForSaves();
  EXPECT_FALSE(fs::exists(library.documentPath(first.exam.id))) << "the pending save made it again";
  EXPECT_EQ(messages.count(), 2) << "each deletion is told once";
}

// The app's own save is not news; an edit not saved yet is kept over a change made elsewhere.
TEST(AppModelWatch, ownSavesAreNotNewsAndUnsavedEditsAreKeptOverChangesElsewhere) {
  TempDir dir;
  ExamLibrary library{dir.path()};
  ExamDocument quiz = quizDocument();
  ASSERT_TRUE(library.create(quiz));
  AppModel model(library);
  model.select(quiz.exam.id);
  model.update([](ExamDocument &d) { d.exam.title = "Edited here"; });
  ChangedTests changed(model);
  waitForSaves();
  QTest::qWait(seenWithin / 3);
  EXPECT_EQ(storedDocument(library, quiz.exam.id)->exam.title, "Edited here");
  EXPECT_TRUE(changed.ids.empty()) << "the app's own file was read back as news";
  EXPECT_FALSE(model.message());

  model.update([](ExamDocument &d) { d.exam.title = "Edited again"; });
  ASSERT_TRUE(library.update(quiz.exam.id, [](ExamDocument &d) {
    d.roster.students.push_back({"1004", "Katherine", "Johnson"});
    return ExamLibrary::Edited::changed;
  }));
  waitForSaves();
  QTest::qWait(seenWithin / 3);
  model.flushSaves();
  for (const ExamDocument &doc :
       {*model.document(quiz.exam.id), *storedDocument(library, quiz.exam.id)}) {
    EXPECT_EQ(doc.exam.title, "Edited again");
    EXPECT_EQ(doc.roster.students.size(), 4u) << "the roster imported elsewhere was lost";
  }
}

} // namespace
} // namespace ovalon
