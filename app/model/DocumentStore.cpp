#include "model/DocumentStore.h"

#include "model/DocumentParts.h"

#include <QCoreApplication>
#include <QFileSystemWatcher>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace ovalon {

namespace {

// Several files change in one save (document, summary, lock): one look at the end.
constexpr int reloadDelayMilliseconds = 200;

} // namespace

DocumentStore::DocumentStore(ExamLibrary library, QObject *parent)
    : QObject(parent), library_(std::move(library)) {
  ExamLibrary::Contents contents = library_.loadAll();
  documents_ = std::move(contents.documents);
  unreadable_ = std::move(contents.unreadable);
  for (const ExamDocument &doc : documents_)
    if (auto stamp = FileStamp::of(library_.documentPath(doc.exam.id)))
      onDisk_[doc.exam.id] = {doc, *stamp};
  watchTests();
}

void DocumentStore::watchTests() {
  std::error_code error;
  std::filesystem::create_directories(library_.testsFolder(), error);
  reloadTimer_ = new QTimer(this);
  reloadTimer_->setSingleShot(true);
  reloadTimer_->setInterval(reloadDelayMilliseconds);
  connect(reloadTimer_, &QTimer::timeout, this, &DocumentStore::reload);
  watcher_ = new QFileSystemWatcher(this);
  watcher_->addPath(QString::fromStdString(library_.testsFolder().string()));
  connect(watcher_, &QFileSystemWatcher::directoryChanged, reloadTimer_,
          qOverload<>(&QTimer::start));
}

std::optional<ExamLibrary::Loaded> DocumentStore::onDisk(const Uuid &examID) const {
  std::lock_guard lock(onDiskMutex_);
  auto found = onDisk_.find(examID);
  return found == onDisk_.end() ? std::nullopt : std::optional(found->second);
}

// Without copying the document, which may hold a whole graded class.
std::optional<FileStamp> DocumentStore::onDiskStamp(const Uuid &examID) const {
  std::lock_guard lock(onDiskMutex_);
  auto found = onDisk_.find(examID);
  return found == onDisk_.end() ? std::nullopt : std::optional(found->second.stamp);
}

void DocumentStore::setOnDisk(const Uuid &examID, std::optional<ExamLibrary::Loaded> loaded) {
  std::lock_guard lock(onDiskMutex_);
  if (loaded)
    onDisk_[examID] = std::move(*loaded);
  else
    onDisk_.erase(examID);
}

bool DocumentStore::writing(const Uuid &examID) const {
  auto found = queues_.find(examID);
  return found != queues_.end() && !found->second->idle();
}

void DocumentStore::reload() {
  if (reading_) {
    readAgain_ = true;
    return;
  }
  reading_ = true;
  readAgain_ = false;
  std::vector<std::pair<Uuid, FileStamp>> known;
  std::set<Uuid> skip = removedHere_;
  bool later = false;
  for (const ExamDocument &doc : documents_) {
    const Uuid &examID = doc.exam.id;
    skip.insert(examID);
    // A write of ours in flight changes the file; look again once it is done.
    if (writing(examID))
      later = true;
    else if (std::optional<FileStamp> stamp = onDiskStamp(examID))
      known.emplace_back(examID, *stamp);
    // else made here and not saved yet
  }
  readers_.start([this, library = library_, known = std::move(known), skip = std::move(skip), later,
                  hook = readHook_] {
    Found found = look(library, known, skip);
    found.later = later;
    if (hook)
      hook();
    // Dropped unread if the store is gone by then (its destructor waits for this).
    QMetaObject::invokeMethod(
        this, [this, found = std::move(found)]() mutable { takeInFound(std::move(found)); },
        Qt::QueuedConnection);
  });
}

DocumentStore::Found DocumentStore::look(const ExamLibrary &library,
                                         const std::vector<std::pair<Uuid, FileStamp>> &known,
                                         const std::set<Uuid> &skip) {
  Found found;
  for (const auto &[examID, stamp] : known) {
    std::optional<FileStamp> now = FileStamp::of(library.documentPath(examID));
    if (!now) {
      found.changed.push_back({examID, stamp, std::nullopt});
      continue;
    }
    if (*now == stamp)
      continue;
    if (auto fresh = library.load(examID))
      found.changed.push_back({examID, stamp, std::move(*fresh)});
    // Deleted since the stamp was read. A file that can't be read is left as it was.
    else if (fresh.error().kind == ExamLibrary::Failure::Kind::missing)
      found.changed.push_back({examID, stamp, std::nullopt});
  }
  ExamLibrary::Listing listing = library.list();
  for (const DocumentSummary &test : listing.tests)
    if (!skip.contains(test.id))
      if (auto loaded = library.load(test.id))
        found.added.emplace_back(test.id, std::move(*loaded));
  found.unreadable = std::move(listing.unreadable);
  return found;
}

void DocumentStore::takeInFound(Found found) {
  bool later = found.later;
  for (Changed &change : found.changed) {
    std::optional<FileStamp> stamp = onDiskStamp(change.examID);
    if (!document(change.examID) || !stamp)
      continue; // deleted here meanwhile
    // A save of ours started or landed while the look ran: what it read is stale.
    if (writing(change.examID) || *stamp != change.lookedFrom) {
      later = true;
      continue;
    }
    if (change.fresh)
      takeIn(change.examID, std::move(*change.fresh));
    else
      dropRemoved(change.examID);
  }
  addFound(std::move(found.added));
  if (found.unreadable != unreadable_) {
    unreadable_ = std::move(found.unreadable);
    emit listChanged();
  }
  reading_ = false;
  if (readAgain_)
    reload();
  else if (later)
    reloadTimer_->start();
}

void DocumentStore::waitForReload() {
  while (reading_) {
    readers_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  }
}

// `doc` is the test as it is now, with every edit made while the look ran.
void DocumentStore::takeIn(const Uuid &examID, ExamLibrary::Loaded fresh) {
  ExamDocument *doc = mutableDocument(examID);
  std::optional<ExamLibrary::Loaded> last = onDisk(examID);
  if (!doc || !last)
    return;
  // Edits not on disk yet (waiting, or refused by a failed save) stay on top.
  if (DocumentParts::collide(last->document, *doc, fresh.document))
    emit changedElsewhere(doc->exam.title);
  ExamDocument merged = DocumentParts::merge(last->document, *doc, fresh.document);
  bool unsaved = !DocumentParts::changed(fresh.document, merged).empty();
  *doc = std::move(merged);
  setOnDisk(examID, std::move(fresh));
  if (unsaved && !hasPendingSave(examID))
    scheduleSave(examID);
  emit documentChanged(examID);
}

// Nothing may bring it back: its pending save goes with it.
void DocumentStore::dropRemoved(const Uuid &examID) {
  const ExamDocument *doc = document(examID);
  std::optional<ExamLibrary::Loaded> last = onDisk(examID);
  std::string title = doc->exam.title;
  // Edits waiting for their save, or refused by a failed one.
  bool unsavedLost = last && !DocumentParts::changed(last->document, *doc).empty();
  cancelSave(examID);
  setOnDisk(examID, std::nullopt);
  unwrittenImages_.erase(examID);
  std::erase_if(documents_, [&](const ExamDocument &d) { return d.exam.id == examID; });
  emit listChanged();
  emit removedElsewhere(title, unsavedLost);
}

void DocumentStore::addFound(std::vector<std::pair<Uuid, ExamLibrary::Loaded>> found) {
  bool added = false;
  for (auto &[examID, loaded] : found) {
    // Made here meanwhile, or deleted here while the look ran.
    if (document(examID) || removedHere_.contains(examID))
      continue;
    documents_.push_back(loaded.document);
    setOnDisk(examID, std::move(loaded));
    added = true;
  }
  if (added)
    emit listChanged();
}

DocumentStore::~DocumentStore() {
  reloadTimer_->stop();
  // The look in flight posts to this store; once it is done, what it posted
  // goes with the store.
  readers_.waitForDone();
  for (auto &[examID, timer] : saveTimers_)
    timer->stop();
  waitForWrites();
}

const ExamDocument *DocumentStore::document(const Uuid &examID) const {
  auto found =
      std::ranges::find(documents_, examID, [](const ExamDocument &d) { return d.exam.id; });
  return found == documents_.end() ? nullptr : &*found;
}

ExamDocument *DocumentStore::mutableDocument(const Uuid &examID) {
  return const_cast<ExamDocument *>(std::as_const(*this).document(examID));
}

SaveQueue &DocumentStore::queue(const Uuid &examID) {
  std::unique_ptr<SaveQueue> &queue = queues_[examID];
  if (!queue)
    queue = std::make_unique<SaveQueue>(writers_);
  return *queue;
}

void DocumentStore::add(ExamDocument document) {
  Uuid examID = document.exam.id;
  removedHere_.erase(examID);
  documents_.push_back(std::move(document));
  scheduleSave(examID);
  emit listChanged();
}

bool DocumentStore::update(const Uuid &examID, const Change &change) {
  ExamDocument *doc = mutableDocument(examID);
  if (!doc)
    return false;
  Q_ASSERT(QThread::currentThread() == thread());
  change(*doc);
  doc->modified = Date::now();
  scheduleSave(examID);
  emit documentChanged(examID);
  return true;
}

void DocumentStore::remove(const Uuid &examID) {
  std::string title = document(examID) ? document(examID)->exam.title : std::string();
  cancelSave(examID);
  unwrittenImages_.erase(examID);
  std::erase_if(documents_, [&](const ExamDocument &d) { return d.exam.id == examID; });
  removedHere_.insert(examID);
  queue(examID).push([this, examID, title] {
    auto removed = library_.remove(examID);
    if (removed) {
      setOnDisk(examID, std::nullopt);
      return;
    }
    // The test is still there: the next look at the folder lists it again.
    QMetaObject::invokeMethod(
        this,
        [this, title, reason = removed.error().description()] { emit deleteFailed(title, reason); },
        Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        this,
        [this, examID] {
          removedHere_.erase(examID);
          reloadTimer_->start();
        },
        Qt::QueuedConnection);
  });
  emit listChanged();
}

void DocumentStore::cancelSave(const Uuid &examID) {
  auto found = saveTimers_.find(examID);
  if (found == saveTimers_.end())
    return;
  found->second->stop();
  found->second->deleteLater();
  saveTimers_.erase(found);
}

bool DocumentStore::hasPendingSave(const Uuid &examID) const {
  auto found = saveTimers_.find(examID);
  return found != saveTimers_.end() && found->second->isActive();
}

void DocumentStore::scheduleSave(const Uuid &examID) {
  cancelSave(examID);
  auto *timer = new QTimer(this);
  timer->setSingleShot(true);
  timer->setTimerType(Qt::PreciseTimer);
  connect(timer, &QTimer::timeout, this, [this, examID] {
    cancelSave(examID);
    saveNow(examID, true);
  });
  saveTimers_[examID] = timer;
  timer->start(saveDelayMilliseconds);
}

void DocumentStore::saveNow(const Uuid &examID, bool reportFailure) {
  const ExamDocument *doc = document(examID);
  if (!doc)
    return;
  // The copy is taken now, on this thread; the queue keeps writes in edit order.
  queue(examID).push([this, examID, copy = *doc, hook = writeHook_, reportFailure] {
    if (hook)
      hook(copy);
    auto failed = [&](const std::string &reason) {
      if (reportFailure)
        QMetaObject::invokeMethod(
            this, [this, title = copy.exam.title, reason] { emit saveFailed(title, reason); },
            Qt::QueuedConnection);
    };
    std::optional<ExamLibrary::Loaded> last = onDisk(examID);
    if (!last) {
      auto created = library_.create(copy);
      if (!created)
        return failed(created.error().description());
      setOnDisk(examID, ExamLibrary::Loaded{created->document, created->stamp});
      return;
    }
    // Only what the app changed since it last read the file goes onto the file
    // as it is now.
    ExamLibrary::UpdateOptions options;
    options.loadedAt = last->stamp;
    auto result = library_.update(
        examID,
        [&](ExamDocument &fresh) -> std::expected<ExamLibrary::Edited, std::string> {
          ExamDocument merged = DocumentParts::merge(last->document, copy, fresh);
          if (merged == fresh)
            return ExamLibrary::Edited::unchanged;
          fresh = std::move(merged);
          return ExamLibrary::Edited::changed;
        },
        options);
    if (!result)
      return failed(result.error().description());
    setOnDisk(examID, ExamLibrary::Loaded{result->document, result->stamp});
    QMetaObject::invokeMethod(
        this, [this, examID, copy, result = *result] { saved(examID, copy, result); },
        Qt::QueuedConnection);
  });
}

// The copy shown becomes the file as saved (its time of saving, and whatever
// was changed elsewhere), under any edit made here since this save was queued.
void DocumentStore::saved(const Uuid &examID, const ExamDocument &written,
                          const ExamLibrary::Updated &result) {
  ExamDocument *doc = mutableDocument(examID);
  if (!doc)
    return;
  ExamDocument merged = DocumentParts::merge(written, *doc, result.document);
  // Only the time of saving is new: nothing any screen shows changed.
  bool shownChanged = !DocumentParts::changed(*doc, merged).empty();
  *doc = std::move(merged);
  if (shownChanged)
    emit documentChanged(examID);
  if (result.changedElsewhere)
    emit changedElsewhere(doc->exam.title);
}

void DocumentStore::flush() {
  std::vector<Uuid> pending;
  for (const auto &[examID, timer] : saveTimers_)
    if (timer->isActive())
      pending.push_back(examID);
  for (const Uuid &examID : pending) {
    cancelSave(examID);
    saveNow(examID, false);
  }
  waitForWrites();
}

void DocumentStore::waitForWrites() {
  for (auto &[examID, queue] : queues_)
    queue->waitUntilDone();
}

void DocumentStore::storeImages(const Uuid &examID, std::map<Uuid, Bytes> images) {
  if (images.empty())
    return;
  std::vector<Uuid> ids;
  for (const auto &[imageID, jpeg] : images) {
    ids.push_back(imageID);
    unwrittenImages_[examID][imageID] = jpeg;
  }
  queue(examID).push([this, library = library_, images = std::move(images), examID, ids] {
    (void)library.saveImages(images, examID);
    // Written or not, the disk has the last word from now on.
    QMetaObject::invokeMethod(
        this,
        [this, examID, ids] {
          auto found = unwrittenImages_.find(examID);
          if (found == unwrittenImages_.end())
            return;
          for (const Uuid &id : ids)
            found->second.erase(id);
          if (found->second.empty())
            unwrittenImages_.erase(found);
        },
        Qt::QueuedConnection);
  });
}

void DocumentStore::deleteImages(const Uuid &examID, std::vector<Uuid> imageIDs) {
  if (auto found = unwrittenImages_.find(examID); found != unwrittenImages_.end())
    for (const Uuid &id : imageIDs)
      found->second.erase(id);
  queue(examID).push([library = library_, imageIDs = std::move(imageIDs), examID] {
    library.deleteImages(imageIDs, examID);
  });
}

std::optional<Bytes> DocumentStore::imageData(const Uuid &imageID, const Uuid &examID) const {
  if (auto found = unwrittenImages_.find(examID); found != unwrittenImages_.end())
    if (auto image = found->second.find(imageID); image != found->second.end())
      return image->second;
  return library_.loadImage(imageID, examID);
}

} // namespace ovalon
