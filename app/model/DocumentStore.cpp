#include "model/DocumentStore.h"

#include <QThread>
#include <QTimer>

#include <algorithm>

namespace ovalon {

DocumentStore::DocumentStore(ExamLibrary library, QObject *parent)
    : QObject(parent), library_(std::move(library)), documents_(library_.loadAll().documents) {}

DocumentStore::~DocumentStore() {
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
  cancelSave(examID);
  unwrittenImages_.erase(examID);
  std::erase_if(documents_, [&](const ExamDocument &d) { return d.exam.id == examID; });
  queue(examID).push([library = library_, examID] { library.remove(examID); });
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
  queue(examID).push([this, library = library_, copy = *doc, hook = writeHook_, reportFailure] {
    if (hook)
      hook(copy);
    auto saved = library.save(copy);
    if (!saved && reportFailure)
      QMetaObject::invokeMethod(
          this,
          [this, title = copy.exam.title, reason = saved.error().description()] {
            emit saveFailed(title, reason);
          },
          Qt::QueuedConnection);
  });
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
