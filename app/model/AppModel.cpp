#include "model/AppModel.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace ovalon {

AppModel::AppModel(ExamLibrary library, QObject *parent)
    : QObject(parent), library_(std::move(library)), documents_(library_.loadAll()) {
  if (!documents_.empty())
    selectedID_ = documents_.front().exam.id;
}

AppModel::~AppModel() = default;

const ExamDocument *AppModel::document(const Uuid &examID) const {
  auto found =
      std::ranges::find_if(documents_, [&](const ExamDocument &d) { return d.exam.id == examID; });
  return found == documents_.end() ? nullptr : &*found;
}

ExamDocument *AppModel::mutableDocument(const Uuid &examID) {
  return const_cast<ExamDocument *>(std::as_const(*this).document(examID));
}

const ExamDocument *AppModel::selectedDocument() const {
  return selectedID_ ? document(*selectedID_) : nullptr;
}

void AppModel::select(std::optional<Uuid> examID) {
  if (examID == selectedID_)
    return;
  selectedID_ = examID;
  // A different test starts with nothing selected inside it.
  selectedSheet_.reset();
  previewPage_ = 1;
  printVersion_ = 0;
  emit changed();
}

void AppModel::setTab(Tab tab) {
  if (tab == tab_)
    return;
  tab_ = tab;
  emit changed();
}

void AppModel::setSelectedSheet(std::optional<Uuid> sheetID) {
  selectedSheet_ = sheetID;
  emit changed();
}

void AppModel::showMessage(std::string title, std::string detail) {
  message_ = Message{Uuid::random(), std::move(title), std::move(detail)};
  emit changed();
}

void AppModel::clearMessage() {
  message_.reset();
  emit changed();
}

void AppModel::setProgress(std::optional<Progress> progress) {
  progress_ = std::move(progress);
  emit changed();
}

void AppModel::askToDelete(const Uuid &examID) {
  if (const ExamDocument *doc = document(examID)) {
    testToDelete_ = *doc;
    emit changed();
  }
}

void AppModel::cancelDelete() {
  testToDelete_.reset();
  emit changed();
}

void AppModel::confirmDelete() {
  if (!testToDelete_)
    return;
  Uuid examID = testToDelete_->exam.id;
  testToDelete_.reset();
  deleteTest(examID);
}

void AppModel::setPrintVersion(int version) {
  printVersion_ = version;
  emit changed();
}

void AppModel::setPrintForRoster(bool forRoster) {
  printForRoster_ = forRoster;
  emit changed();
}

void AppModel::setPrintCopies(int copies) {
  printCopies_ = copies;
  emit changed();
}

void AppModel::setPreviewPage(int page) {
  previewPage_ = page;
  emit changed();
}

void AppModel::newTest() {
  documents_.push_back(ExamDocument::make(Exam::untitled()));
  Uuid examID = documents_.back().exam.id;
  select(examID);
  setTab(Tab::builder);
  scheduleSave(examID);
  emit changed();
}

void AppModel::duplicateTest(const Uuid &examID) {
  const ExamDocument *source = document(examID);
  if (!source)
    return;
  Exam copy = source->exam;
  copy.id = Uuid::random();
  copy.title += " (Copy)";
  copy.created = Date::now();
  ExamDocument duplicate = ExamDocument::make(std::move(copy));
  duplicate.roster = source->roster;
  documents_.push_back(std::move(duplicate));
  Uuid copyID = documents_.back().exam.id;
  select(copyID);
  setTab(Tab::builder);
  scheduleSave(copyID);
  emit changed();
}

void AppModel::deleteTest(const Uuid &examID) {
  cancelSave(examID);
  std::erase_if(documents_, [&](const ExamDocument &d) { return d.exam.id == examID; });
  (void)QtConcurrent::run([library = library_, examID] { library.remove(examID); });
  if (selectedID_ == examID)
    select(documents_.empty() ? std::nullopt : std::optional(documents_.front().exam.id));
  emit changed();
}

void AppModel::update(const std::function<void(ExamDocument &)> &change,
                      std::optional<Uuid> examID) {
  std::optional<Uuid> target = examID ? examID : selectedID_;
  ExamDocument *doc = target ? mutableDocument(*target) : nullptr;
  if (!doc)
    return;
  change(*doc);
  doc->modified = Date::now();
  scheduleSave(*target);
  emit changed();
}

void AppModel::cancelSave(const Uuid &examID) {
  auto found = saveTimers_.find(examID);
  if (found == saveTimers_.end())
    return;
  found->second->stop();
  found->second->deleteLater();
  saveTimers_.erase(found);
}

bool AppModel::hasPendingSave(const Uuid &examID) const {
  auto found = saveTimers_.find(examID);
  return found != saveTimers_.end() && found->second->isActive();
}

void AppModel::scheduleSave(const Uuid &examID) {
  cancelSave(examID);
  auto *timer = new QTimer(this);
  timer->setSingleShot(true);
  timer->setTimerType(Qt::PreciseTimer);
  connect(timer, &QTimer::timeout, this, [this, examID] { saveNow(examID); });
  saveTimers_[examID] = timer;
  timer->start(saveDelayMilliseconds);
}

void AppModel::saveNow(const Uuid &examID) {
  const ExamDocument *doc = document(examID);
  if (!doc)
    return;
  // The write runs off the interface thread on a copy; only its outcome comes back.
  auto *watcher = new QFutureWatcher<std::optional<std::string>>(this);
  QPointer<AppModel> model(this);
  std::string title = doc->exam.title;
  connect(watcher, &QFutureWatcherBase::finished, this, [model, watcher, title] {
    std::optional<std::string> failure = watcher->result();
    watcher->deleteLater();
    if (model && failure)
      model->showMessage("\u201C" + title + "\u201D couldn\u2019t be saved", *failure);
  });
  watcher->setFuture(QtConcurrent::run([library = library_, copy = *doc] {
    auto saved = library.save(copy);
    return saved ? std::optional<std::string>() : saved.error().description();
  }));
}

void AppModel::flushSaves() {
  for (auto &[examID, timer] : saveTimers_) {
    timer->stop();
    timer->deleteLater();
    if (const ExamDocument *doc = document(examID))
      (void)library_.save(*doc);
  }
  saveTimers_.clear();
}

std::optional<QImage> AppModel::image(const Uuid &imageID) {
  if (auto cached = imageCache_.find(imageID); cached != imageCache_.end())
    return cached->second;
  auto bytes = imageData(imageID);
  if (!bytes)
    return std::nullopt;
  QImage decoded;
  if (!decoded.loadFromData(bytes->data(), static_cast<int>(bytes->size())))
    return std::nullopt;
  imageCache_[imageID] = decoded;
  return decoded;
}

std::optional<Bytes> AppModel::imageData(const Uuid &imageID) const {
  if (!selectedID_)
    return std::nullopt;
  return library_.loadImage(imageID, *selectedID_);
}

} // namespace ovalon
