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
#include <optional>
#include <string>
#include <vector>
#endif

class QTimer;

namespace ovalon {

// Every test in memory and the one way each reaches the disk. A change applies at
// once and is saved half a second after the last one; each test's writes (its
// document, its page pictures, its deletion) run in order on that test's own
// queue, off the interface thread.
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

private:
  ExamDocument *mutableDocument(const Uuid &examID);
  SaveQueue &queue(const Uuid &examID);
  void cancelSave(const Uuid &examID);
  void saveNow(const Uuid &examID, bool reportFailure);

  ExamLibrary library_;
  std::vector<ExamDocument> documents_;
  std::map<Uuid, QTimer *> saveTimers_;
  std::map<Uuid, std::map<Uuid, Bytes>> unwrittenImages_;
  std::function<void(const ExamDocument &)> writeHook_;
  QThreadPool writers_;
  std::map<Uuid, std::unique_ptr<SaveQueue>> queues_;
};

} // namespace ovalon
