#include "model/AppModel.h"

#include "model/ExportActions.h"
#include "model/GradingActions.h"
#include "model/KeyAndRescanActions.h"
#include "model/PrintActions.h"
#include "model/ReviewActions.h"
#include "model/RosterActions.h"

#include <QThread>

#include <algorithm>

namespace ovalon {

namespace fs = std::filesystem;

AppModel::AppModel(ExamLibrary library, QObject *parent)
    : QObject(parent), store_(std::move(library)),
      grading_(std::make_unique<GradingActions>(*this)),
      review_(std::make_unique<ReviewActions>(*this)),
      roster_(std::make_unique<RosterActions>(*this)),
      keyAndRescan_(std::make_unique<KeyAndRescanActions>(*this)),
      printing_(std::make_unique<PrintActions>(*this)),
      exports_(std::make_unique<ExportActions>(*this)) {
  if (!documents().empty())
    selectedID_ = documents().front().exam.id;
  connect(&store_, &DocumentStore::listChanged, this, [this] {
    notify(&AppModel::libraryChanged);
    // The test shown was deleted elsewhere.
    if (selectedID_ && !document(*selectedID_))
      select(documents().empty() ? std::nullopt : std::optional(documents().front().exam.id));
  });
  connect(&store_, &DocumentStore::documentChanged, this, [this](const Uuid &examID) {
    assertInterfaceThread();
    emit documentChanged(examID);
    if (examID == selectedID_)
      keepPrintSettingsInRange();
  });
  connect(&store_, &DocumentStore::saveFailed, this,
          [this](const std::string &title, const std::string &reason) {
            showMessage("\u201C" + title + "\u201D couldn\u2019t be saved", reason);
          });
  connect(&store_, &DocumentStore::deleteFailed, this,
          [this](const std::string &title, const std::string &reason) {
            showMessage("\u201C" + title + "\u201D couldn\u2019t be deleted", reason);
          });
  connect(&store_, &DocumentStore::changedElsewhere, this, [this](const std::string &title) {
    showMessage("\u201C" + title + "\u201D was also changed elsewhere",
                "Another program changed it while you were editing; both sets of changes are kept, "
                "and where both changed the same thing, yours are.");
  });
  connect(&store_, &DocumentStore::removedElsewhere, this,
          [this](const std::string &title, bool unsavedLost) {
            showMessage("\u201C" + title + "\u201D was deleted by another program",
                        unsavedLost ? "Your changes to it since the last save were not kept."
                                    : "Its file left the library folder while Ovalon was open.");
          });
  connect(&jobs_, &JobRunner::progressChanged, this,
          [this] { notify(&AppModel::progressChanged); });
}

AppModel::~AppModel() {
  // A job must not outlive the model it reports to.
  jobs_.cancel();
  jobs_.waitForJob();
}

const ExamDocument *AppModel::selectedDocument() const {
  return selectedID_ ? document(*selectedID_) : nullptr;
}

void AppModel::assertInterfaceThread() const {
  Q_ASSERT_X(QThread::currentThread() == thread(), "AppModel",
             "model fields change only on the interface thread");
}

template <typename... Signals> void AppModel::notify(Signals... emits) {
  assertInterfaceThread();
  (emit(this->*emits)(), ...);
}

template <typename Field, typename... Signals>
void AppModel::assign(Field &field, Field value, Signals... emits) {
  if (field == value)
    return;
  field = std::move(value);
  notify(emits...);
}

std::optional<fs::path> AppModel::chooseSaveFile(const std::optional<SavePanel> &panel) {
  if (!panel || !panels_)
    return std::nullopt;
  return panels_->chooseSaveFile(*panel);
}

std::optional<fs::path> AppModel::chooseFile(const std::optional<OpenPanel> &panel) {
  if (!panel || !panels_)
    return std::nullopt;
  std::vector<fs::path> chosen = panels_->chooseFiles(*panel);
  return chosen.empty() ? std::nullopt : std::optional(chosen.front());
}

std::vector<fs::path> AppModel::chooseFiles(const OpenPanel &panel) {
  return panels_ ? panels_->chooseFiles(panel) : std::vector<fs::path>{};
}

// Selection and presentation

void AppModel::select(std::optional<Uuid> examID) {
  if (examID == selectedID_)
    return;
  selectedID_ = examID;
  // A different test starts with nothing selected inside it.
  selectedSheet_.reset();
  reviewSelection_.reset();
  notify(&AppModel::selectionChanged);
  if (previewPage_ != 1 || printVersion_ != 0) {
    previewPage_ = 1;
    printVersion_ = 0;
    notify(&AppModel::printSettingsChanged);
  }
}

void AppModel::setTab(Tab tab) {
  assign(tab_, tab, &AppModel::tabChanged);
}

void AppModel::setSelectedSheet(std::optional<Uuid> sheetID) {
  assign(selectedSheet_, sheetID, &AppModel::selectionChanged);
}

void AppModel::showMessage(std::string title, std::string detail) {
  message_ = Message{Uuid::random(), std::move(title), std::move(detail)};
  notify(&AppModel::messageChanged);
}

void AppModel::clearMessage() {
  assign(message_, std::optional<Message>(), &AppModel::messageChanged);
}

void AppModel::askToDelete(const Uuid &examID) {
  if (const ExamDocument *doc = document(examID))
    assign(testToDelete_, std::optional(*doc), &AppModel::dialogsChanged);
}

void AppModel::cancelDelete() {
  assign(testToDelete_, std::optional<ExamDocument>(), &AppModel::dialogsChanged);
}

void AppModel::confirmDelete() {
  if (!testToDelete_)
    return;
  Uuid examID = testToDelete_->exam.id;
  cancelDelete();
  deleteTest(examID);
}

// The print tab's version and preview page always exist in the selected test, so
// what is printed or saved is the version the preview shows.
int AppModel::versionInRange(int version) const {
  const ExamDocument *doc = selectedDocument();
  int versions = doc ? static_cast<int>(doc->exam.versions.size()) : 1;
  return std::clamp(version, 0, std::max(0, versions - 1));
}

int AppModel::pageInRange(int page) const {
  const ExamDocument *doc = selectedDocument();
  return std::clamp(page, 1, doc ? std::max(1, doc->exam.pageCount()) : 1);
}

void AppModel::keepPrintSettingsInRange() {
  int version = versionInRange(printVersion_), page = pageInRange(previewPage_);
  if (version == printVersion_ && page == previewPage_)
    return;
  printVersion_ = version;
  previewPage_ = page;
  notify(&AppModel::printSettingsChanged);
}

void AppModel::setPrintVersion(int version) {
  assign(printVersion_, versionInRange(version), &AppModel::printSettingsChanged);
}

void AppModel::setPrintForRoster(bool forRoster) {
  assign(printForRoster_, forRoster, &AppModel::printSettingsChanged);
}

void AppModel::setPrintCopies(int copies) {
  assign(printCopies_, copies, &AppModel::printSettingsChanged);
}

void AppModel::setPreviewPage(int page) {
  assign(previewPage_, pageInRange(page), &AppModel::printSettingsChanged);
}

void AppModel::setPrintDealsVersions(bool deal) {
  assign(printDealsVersions_, deal, &AppModel::printSettingsChanged);
}

void AppModel::setReviewSelection(std::optional<ReviewItem> item) {
  assign(reviewSelection_, std::move(item), &AppModel::selectionChanged);
}

void AppModel::setShowScanImporter(bool show) {
  assign(showScanImporter_, show, &AppModel::dialogsChanged);
}

void AppModel::setShowRosterImporter(bool show) {
  assign(showRosterImporter_, show, &AppModel::dialogsChanged);
}

void AppModel::setShowHelp(bool show) {
  assign(showHelp_, show, &AppModel::dialogsChanged);
}

void AppModel::setKeyCheck(std::optional<KeyCheck> check) {
  assign(keyCheck_, std::move(check), &AppModel::keyCheckChanged);
}

// Tests

void AppModel::newTest() {
  ExamDocument doc = ExamDocument::make(Exam::untitled());
  Uuid examID = doc.exam.id;
  store_.add(std::move(doc));
  select(examID);
  setTab(Tab::builder);
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
  Uuid copyID = duplicate.exam.id;
  store_.add(std::move(duplicate));
  select(copyID);
  setTab(Tab::builder);
}

void AppModel::deleteTest(const Uuid &examID) {
  if (!document(examID))
    return;
  store_.remove(examID);
  if (selectedID_ == examID)
    select(documents().empty() ? std::nullopt : std::optional(documents().front().exam.id));
}

void AppModel::update(const std::function<void(ExamDocument &)> &change,
                      std::optional<Uuid> examID) {
  std::optional<Uuid> target = examID ? examID : selectedID_;
  if (target) {
    assertInterfaceThread();
    store_.update(*target, change);
  }
}

// Page pictures

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
  return store_.imageData(imageID, *selectedID_);
}

void AppModel::forgetImages(const std::vector<Uuid> &imageIDs) {
  for (const Uuid &id : imageIDs)
    imageCache_.erase(id);
}

void AppModel::cancelKeyCheck() {
  setKeyCheck(std::nullopt);
}

} // namespace ovalon
