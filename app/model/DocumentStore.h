#pragma once

#include <QObject>
#include <QThreadPool>

#ifndef Q_MOC_RUN
#include "library/ExamDocument.h"
#include "library/ExamLibrary.h"
#include "model/SaveQueue.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>
#endif

class QFileSystemWatcher;
class QTimer;

namespace ovalon {

// Every test in memory and the one way each reaches the disk. A change applies at
// once and is saved half a second after the last one; each test's writes (its
// document, its page pictures, its deletion) run in order on that test's own
// queue, off the interface thread.
//
// ovalon-cli may change the library while the app is open. The store watches
// the tests folder and reads what changed elsewhere off the interface thread (a
// graded class takes seconds to read), then takes it in here, re-applying the
// edits not saved yet; a save applies only the parts the app changed to the file
// as it is then, under the test's lock, so it never writes an old copy over a
// newer one.
class DocumentStore : public QObject {
  Q_OBJECT

public:
  using Change = std::function<void(ExamDocument &)>;

  static constexpr int saveDelayMilliseconds = 500;

  explicit DocumentStore(ExamLibrary library, QObject *parent = nullptr);
  // Pending saves end quietly; writes already queued finish first.
  ~DocumentStore() override;

  const ExamLibrary &library() const { return library_; }
  // Newest first as loaded; tests made here come last.
  const std::vector<ExamDocument> &documents() const { return documents_; }
  const ExamDocument *document(const Uuid &examID) const;
  // Files in the tests folder that can't be used as tests, with the reason.
  const std::vector<ExamLibrary::Unreadable> &unreadable() const { return unreadable_; }

  // Starts a look at what changed on disk since the last one; what it finds is
  // taken in on this thread when it arrives. Called soon after the tests folder
  // changes. Only one look runs at a time: asked again meanwhile, it looks once
  // more when that one is done.
  void reload();
  // Waits for the look in flight, and the one more it may owe, and takes in what
  // they found. For tests and callers that must see the result at once.
  void waitForReload();

  // A new test, saved soon.
  void add(ExamDocument document);
  // Applies the change, stamps `modified` and saves soon. False for an unknown test.
  bool update(const Uuid &examID, const Change &change);
  // The test leaves the list now; its file and pictures go once the writes
  // already queued for it are done, so a save in flight can't bring it back.
  void remove(const Uuid &examID);

  void scheduleSave(const Uuid &examID);
  bool hasPendingSave(const Uuid &examID) const;
  // Saves every pending test now and waits for every write, so what the teacher
  // did is on disk when it returns (at quit, or on SIGTERM).
  void flush();
  // Waits for the writes queued so far.
  void waitForWrites();

  // Page pictures are kept here until they are on disk, so a sheet shown right
  // after grading has its scan.
  void storeImages(const Uuid &examID, std::map<Uuid, Bytes> images);
  void deleteImages(const Uuid &examID, std::vector<Uuid> imageIDs);
  std::optional<Bytes> imageData(const Uuid &imageID, const Uuid &examID) const;

  // Runs on the writing thread before each document write, with the copy being
  // written: lets tests hold a save in flight.
  void setWriteHook(std::function<void(const ExamDocument &)> hook) {
    writeHook_ = std::move(hook);
  }
  // Runs on the reading thread after a look has read the disk, before what it
  // found is handed over: lets tests hold a reload in flight.
  void setReadHook(std::function<void()> hook) { readHook_ = std::move(hook); }

signals:
  void listChanged();
  void documentChanged(const ovalon::Uuid &examID);
  void saveFailed(const std::string &title, const std::string &reason);
  void deleteFailed(const std::string &title, const std::string &reason);
  // The test was changed elsewhere in a part the app had changed too; the app's
  // version of that part was kept.
  void changedElsewhere(const std::string &title);
  // Another program deleted the test; the app dropped it, with its edits not
  // saved yet when `unsavedLost`.
  void removedElsewhere(const std::string &title, bool unsavedLost);

private:
  ExamDocument *mutableDocument(const Uuid &examID);
  SaveQueue &queue(const Uuid &examID);
  void cancelSave(const Uuid &examID);
  void saveNow(const Uuid &examID, bool reportFailure);
  void saved(const Uuid &examID, const ExamDocument &written, const ExamLibrary::Updated &result);
  void watchTests();
  bool writing(const Uuid &examID) const;

  // One test whose file no longer has the stamp the app last saw.
  struct Changed {
    Uuid examID;
    FileStamp lookedFrom;                     // the stamp the look compared against
    std::optional<ExamLibrary::Loaded> fresh; // none: the file is gone
  };
  // What one look at the disk found, read on the reading thread.
  struct Found {
    std::vector<Changed> changed;
    std::vector<std::pair<Uuid, ExamLibrary::Loaded>> added;
    std::vector<ExamLibrary::Unreadable> unreadable;
    bool later = false; // a test was being written: look again once it is done
  };
  // Touches only the disk, never the store, so it can run on any thread.
  static Found look(const ExamLibrary &library,
                    const std::vector<std::pair<Uuid, FileStamp>> &known,
                    const std::set<Uuid> &skip);
  void takeInFound(Found found);
  void takeIn(const Uuid &examID, ExamLibrary::Loaded fresh);
  void dropRemoved(const Uuid &examID);
  void addFound(std::vector<std::pair<Uuid, ExamLibrary::Loaded>> found);

  // The copy of a test last read or written and the file's stamp then: what the
  // app's unsaved edits are measured against. Saves update it from the writing
  // thread, hence the lock.
  std::optional<ExamLibrary::Loaded> onDisk(const Uuid &examID) const;
  std::optional<FileStamp> onDiskStamp(const Uuid &examID) const;
  void setOnDisk(const Uuid &examID, std::optional<ExamLibrary::Loaded> loaded);

  ExamLibrary library_;
  std::vector<ExamDocument> documents_;
  std::vector<ExamLibrary::Unreadable> unreadable_;
  mutable std::mutex onDiskMutex_;
  std::map<Uuid, ExamLibrary::Loaded> onDisk_;
  QFileSystemWatcher *watcher_ = nullptr;
  QTimer *reloadTimer_ = nullptr;
  std::map<Uuid, QTimer *> saveTimers_;
  std::map<Uuid, std::map<Uuid, Bytes>> unwrittenImages_;
  std::function<void(const ExamDocument &)> writeHook_;
  std::function<void()> readHook_;
  // Tests deleted here: a look that read the folder before the file went must
  // not bring one back.
  std::set<Uuid> removedHere_;
  bool reading_ = false, readAgain_ = false;
  QThreadPool readers_;
  QThreadPool writers_;
  std::map<Uuid, std::unique_ptr<SaveQueue>> queues_;
};

} // namespace ovalon
