#include "AppTestScans.h"

#include "model/DocumentStore.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Holds every document write (or look at the disk) until released, and notes which
// titles were written, in order, and how many writes were ever held at once.
class WriteGate {
public:
  void hold(const std::string &title) {
    std::unique_lock lock(mutex_);
    titles_.push_back(title);
    ++inFlight_;
    mostAtOnce_ = std::max(mostAtOnce_, inFlight_);
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
    --inFlight_;
  }
  void release() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  bool waitForWrites(size_t count) {
    return QTest::qWaitFor([&] { return started() >= count; }, 5000);
  }
  size_t started() { return seen().titles.size(); }
  struct Seen {
    std::vector<std::string> titles;
    int mostAtOnce;
  };
  Seen seen() {
    std::lock_guard lock(mutex_);
    return {titles_, mostAtOnce_};
  }

private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> titles_;
  int inFlight_ = 0, mostAtOnce_ = 0;
  bool open_ = false;
};

// A store over an empty library with one test whose first save is being held.
struct HeldSave {
  TempDir dir;
  ExamLibrary library{dir.path()};
  WriteGate gate;
  std::unique_ptr<DocumentStore> store = std::make_unique<DocumentStore>(library);
  Uuid id;

  HeldSave() {
    store->setWriteHook([this](const ExamDocument &doc) { gate.hold(doc.exam.title); });
    ExamDocument doc = ExamDocument::make(Exam::untitled());
    doc.exam.title = "One";
    id = doc.exam.id;
    store->add(doc);
    EXPECT_TRUE(gate.waitForWrites(1));
  }
  ~HeldSave() { gate.release(); }

  void retitle(std::string title) {
    store->update(id, [title](ExamDocument &d) { d.exam.title = title; });
  }
  std::optional<std::string> storedTitle() const {
    auto doc = storedDocument(library, id);
    return doc ? std::optional(doc->exam.title) : std::nullopt;
  }
};

TEST(DocumentStore, savesOfOneTestWaitForEachOtherAndLandInOrder) {
  HeldSave held;
  held.retitle("Two");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !held.store->hasPendingSave(held.id); }, 5000));
  QTest::qWait(50); // a second writer, if there were one, would be inside by now
  EXPECT_EQ(held.gate.started(), 1u) << "the second save waits for the one writing";
  held.gate.release();
  held.store->waitForWrites();
  EXPECT_EQ(held.gate.seen().titles, (std::vector<std::string>{"One", "Two"}));
  EXPECT_EQ(held.gate.seen().mostAtOnce, 1);
  EXPECT_EQ(held.storedTitle(), "Two");
}

TEST(DocumentStore, flushWaitsForTheSaveInFlightAndWritesTheLatestLast) {
  HeldSave held;
  held.retitle("Two");
  ASSERT_TRUE(held.store->hasPendingSave(held.id));
  std::jthread releaser([&] { held.gate.release(); });
  held.store->flush();
  EXPECT_FALSE(held.store->hasPendingSave(held.id));
  EXPECT_EQ(held.storedTitle(), "Two") << "the older save must not land after the flush";
}

TEST(DocumentStore, deletingWaitsForTheSaveInFlightSoTheTestStaysGone) {
  HeldSave held;
  held.retitle("Two"); // pending: dropped by the delete
  held.store->remove(held.id);
  EXPECT_EQ(held.store->document(held.id), nullptr);
  held.gate.release();
  held.store->waitForWrites();
  QTest::qWait(DocumentStore::saveDelayMilliseconds + 100);
  held.store->waitForWrites();
  EXPECT_FALSE(fs::exists(held.library.documentPath(held.id)));
  EXPECT_TRUE(DocumentStore(held.library).documents().empty()) << "it came back";
}

TEST(DocumentStore, aSaveLandsOnTheFileAsItIsThenKeepingWhatWasChangedElsewhere) {
  TempDir dir;
  ExamLibrary library{dir.path()};
  ExamDocument quiz = quizDocument();
  ASSERT_TRUE(library.create(quiz));
  DocumentStore store(library);
  WriteGate gate;
  store.setWriteHook([&](const ExamDocument &doc) { gate.hold(doc.exam.title); });
  std::vector<std::string> toldChanged;
  QObject::connect(&store, &DocumentStore::changedElsewhere,
                   [&](const std::string &title) { toldChanged.push_back(title); });

  store.update(quiz.exam.id, [](ExamDocument &d) {
    d.exam.title = "Ours";
    d.exam.setKey(0, {3}, 2, false);
  });
  ASSERT_TRUE(gate.waitForWrites(1));
  // While the save waits, another program changes a part we changed and one we didn't.
  ASSERT_TRUE(library.update(quiz.exam.id, [](ExamDocument &d) {
    d.exam.title = "Theirs";
    d.roster.students.pop_back();
    return ExamLibrary::Edited::changed;
  }));
  gate.release();
  store.waitForWrites();
  QCoreApplication::processEvents();

  for (const ExamDocument &doc :
       {*storedDocument(library, quiz.exam.id), *store.document(quiz.exam.id)}) {
    EXPECT_EQ(doc.exam.title, "Ours") << "where both changed a part, the app's later edit wins";
    EXPECT_EQ(doc.exam.key[0].points, 2);
    EXPECT_EQ(doc.roster.students.size(), 2u) << "the change made elsewhere was written over";
  }
  EXPECT_EQ(toldChanged, std::vector<std::string>{"Ours"});
}

// The disk is read off the interface thread, and what was read is merged into the
// test as it is when it arrives, with the edits made while the read ran.
TEST(DocumentStore, aReloadReadsOffTheInterfaceThreadAndKeepsEditsMadeMeanwhile) {
  TempDir dir;
  ExamLibrary library{dir.path()};
  ExamDocument quiz = quizDocument();
  ASSERT_TRUE(library.create(quiz));
  WriteGate gate; // outlives the store, which waits for the read it holds
  DocumentStore store(library);
  store.setReadHook([&, ui = QThread::currentThread()] {
    if (QThread::currentThread() == ui)
      ADD_FAILURE() << "the disk was read on the interface thread";
    else
      gate.hold("read");
  });
  ASSERT_TRUE(library.update(quiz.exam.id, [](ExamDocument &d) {
    d.roster.students.pop_back();
    return ExamLibrary::Edited::changed;
  }));
  store.reload();
  EXPECT_TRUE(gate.waitForWrites(1));
  store.update(quiz.exam.id, [](ExamDocument &d) { d.exam.title = "Edited meanwhile"; });
  gate.release();
  store.waitForReload();
  EXPECT_EQ(store.document(quiz.exam.id)->exam.title, "Edited meanwhile");
  EXPECT_EQ(store.document(quiz.exam.id)->roster.students.size(), 2u);
}

TEST(DocumentStore, picturesAreServedBeforeTheyReachTheDisk) {
  TempDir dir;
  DocumentStore store(ExamLibrary{dir.path()});
  Uuid examID = Uuid::random(), picture = Uuid::random(), gone = Uuid::random();
  store.storeImages(examID, {{picture, Bytes{1, 2, 3}}, {gone, Bytes{4}}});
  EXPECT_EQ(store.imageData(picture, examID), (Bytes{1, 2, 3}));
  store.deleteImages(examID, {gone});
  EXPECT_FALSE(store.imageData(gone, examID));
  store.waitForWrites();
  QCoreApplication::processEvents();
  EXPECT_EQ(store.library().loadImage(picture, examID), (Bytes{1, 2, 3}));
  EXPECT_EQ(store.imageData(picture, examID), (Bytes{1, 2, 3}));
  EXPECT_FALSE(store.library().loadImage(gone, examID));
}

} // namespace
} // namespace ovalon
