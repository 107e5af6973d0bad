#include "model/DocumentStore.h"

#include "model/DocumentParts.h"

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
  bool later = false;
  std::vector<Uuid> known;
  for (const ExamDocument &doc : documents_)
    known.push_back(doc.exam.id);
  for (const Uuid &examID : known) {
    // A write of ours in flight changes the file; look again once it is done.
    if (writing(examID)) {
      later = true;
      continue;
    }
    std::optional<ExamLibrary::Loaded> last = onDisk(examID);
    if (!last)
      continue; // made here and not saved yet
    std::optional<FileStamp> now = FileStamp::of(library_.documentPath(examID));
    if (!now)
      dropRemoved(examID);
    else if (*now != last->stamp)
      if (auto fresh = library_.load(examID))
        takeIn(examID, std::move(*fresh));
  }
  ExamLibrary::Listing listing = library_.list();
  later = !addFound(listing.tests) || later;
  if (listing.unreadable != unreadable_) {
    unreadable_ = std::move(listing.unreadable);
    emit listChanged();
  }
  if (later)
    reloadTimer_->start();
}

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

void DocumentStore::dropRemoved(const Uuid &examID) {
  cancelSave(examID);
  setOnDisk(examID, std::nullopt);
  unwrittenImages_.erase(examID);
  std::erase_if(documents_, [&](const ExamDocument &d) { return d.exam.id == examID; });
  emit listChanged();
}

bool DocumentStore::addFound(const std::vector<DocumentSummary> &tests) {
  bool added = false, settled = true;
  for (const DocumentSummary &test : tests) {
    if (document(test.id))
      continue;
    // Being deleted here: its file goes once the queue gets to it.
    if (writing(test.id)) {
      settled = false;
      continue;
    }
    auto loaded = library_.load(test.id);
    if (!loaded)
      continue;
    documents_.push_back(loaded->document);
    setOnDisk(test.id, std::move(*loaded));
    added = true;
  }
  if (added)
    emit listChanged();
  return settled;
}

DocumentStore::~DocumentStore() {
  reloadTimer_->stop();
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
        this, [this] { reloadTimer_->start(); }, Qt::QueuedConnection);
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
