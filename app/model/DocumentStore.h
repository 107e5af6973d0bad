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
// the tests folder and takes in what changed elsewhere, re-applying the edits
// not saved yet; a save applies only the parts the app changed to the file as it
// is then, under the test's lock, so it never writes an old copy over a newer one.
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

  // Takes in what changed on disk since the last look (called soon after the
  // tests folder changes; tests may call it directly).
  void reload();

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

signals:
  void listChanged();
  void documentChanged(const ovalon::Uuid &examID);
  void saveFailed(const std::string &title, const std::string &reason);
  void deleteFailed(const std::string &title, const std::string &reason);
  // The test was changed elsewhere in a part the app had changed too; the app's
  // version of that part was kept.
  void changedElsewhere(const std::string &title);

private:
  ExamDocument *mutableDocument(const Uuid &examID);
  SaveQueue &queue(const Uuid &examID);
  void cancelSave(const Uuid &examID);
  void saveNow(const Uuid &examID, bool reportFailure);
  void saved(const Uuid &examID, const ExamDocument &written, const ExamLibrary::Updated &result);
  void watchTests();
  bool writing(const Uuid &examID) const;
  void takeIn(const Uuid &examID, ExamLibrary::Loaded fresh);
  void dropRemoved(const Uuid &examID);
  // False when a test must be looked at again later.
  bool addFound(const std::vector<DocumentSummary> &tests);

  // The copy of a test last read or written and the file's stamp then: what the
  // app's unsaved edits are measured against. Saves update it from the writing
  // thread, hence the lock.
  std::optional<ExamLibrary::Loaded> onDisk(const Uuid &examID) const;
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
  QThreadPool writers_;
  std::map<Uuid, std::unique_ptr<SaveQueue>> queues_;
};

} // namespace ovalon
