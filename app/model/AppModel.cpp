#include "model/AppModel.h"

#include "grading/Rescan.h"
#include "library/FileIO.h"
#include "model/Choices.h"
#include "model/RosterImport.h"
#include "reports/Reports.h"
#include "scanning/KeyScan.h"
#include "sheets/SheetPDF.h"
#include "simulator/SampleClass.h"
#include "workflow/Exports.h"
#include "workflow/GradingRun.h"
#include "workflow/KeyCheck.h"
#include "workflow/RosterUpdate.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cctype>

namespace ovalon {

namespace {

namespace fs = std::filesystem;

std::string lowerExtension(const fs::path &path) {
  std::string extension = path.extension().string();
  std::ranges::transform(extension, extension.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension.empty() ? extension : extension.substr(1);
}

std::string joinedLines(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines)
    text += (text.empty() ? "" : "\n") + line;
  return text;
}

// A fresh folder of our own inside the temporary folder, or nothing.
std::optional<fs::path> newTemporaryFolder() {
  std::error_code error;
  fs::path folder = fs::temp_directory_path(error) / Uuid::random().text();
  if (error || !fs::create_directories(folder, error) || error)
    return std::nullopt;
  return folder;
}

void removeFolder(const fs::path &folder) {
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

// Decodes phone photos into the run's images source, in the reading job so a stack of
// large pictures never holds up the window. False when none could be decoded.
bool decodePhotos(const std::vector<fs::path> &paths, ScanSource &source, std::stop_token stop) {
  std::vector<GrayImage> &images = std::get<ScanSource::Images>(source.input).images;
  for (const fs::path &path : paths) {
    if (stop.stop_requested())
      break;
    std::ranges::move(GrayImage::allFromImageFile(path), std::back_inserter(images));
  }
  return !images.empty();
}

void showNothingCameOver(AppModel &model) {
  model.showMessage("Nothing to grade came over", "Choose photos or PDFs of the answer sheets.");
}

const Uuid &sampleTestID() {
  static const Uuid id = *Uuid::parse(SampleClass::testID);
  return id;
}

} // namespace

AppModel::AppModel(ExamLibrary library, QObject *parent)
    : QObject(parent), library_(std::move(library)), documents_(library_.loadAll().documents) {
  if (!documents_.empty())
    selectedID_ = documents_.front().exam.id;
  jobPool_.setMaxThreadCount(1);
}

AppModel::~AppModel() {
  // A job or a page-image write must not outlive the model it reports to.
  if (gradeTask_)
    gradeTask_->stop.request_stop();
  jobPool_.waitForDone();
  for (QFuture<void> &write : writes_)
    write.waitForFinished();
}

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

void AppModel::assertInterfaceThread() const {
  Q_ASSERT_X(QThread::currentThread() == thread(), "AppModel",
             "model fields change only on the interface thread");
}

template <typename... Signals> void AppModel::notify(Signals... emits) {
  assertInterfaceThread();
  (emit(this->*emits)(), ...);
  emit changed();
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
  if (tab == tab_)
    return;
  tab_ = tab;
  notify(&AppModel::tabChanged);
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

void AppModel::setProgress(std::optional<Progress> progress) {
  assign(progress_, std::move(progress), &AppModel::progressChanged);
}

void AppModel::askToDelete(const Uuid &examID) {
  if (const ExamDocument *doc = document(examID)) {
    testToDelete_ = *doc;
    notify(&AppModel::dialogsChanged);
  }
}

void AppModel::cancelDelete() {
  assign(testToDelete_, std::optional<ExamDocument>(), &AppModel::dialogsChanged);
}

void AppModel::confirmDelete() {
  if (!testToDelete_)
    return;
  Uuid examID = testToDelete_->exam.id;
  testToDelete_.reset();
  deleteTest(examID);
}

void AppModel::setPrintVersion(int version) {
  assign(printVersion_, version, &AppModel::printSettingsChanged);
}

void AppModel::setPrintForRoster(bool forRoster) {
  assign(printForRoster_, forRoster, &AppModel::printSettingsChanged);
}

void AppModel::setPrintCopies(int copies) {
  assign(printCopies_, copies, &AppModel::printSettingsChanged);
}

void AppModel::setPreviewPage(int page) {
  assign(previewPage_, page, &AppModel::printSettingsChanged);
}

void AppModel::newTest() {
  documents_.push_back(ExamDocument::make(Exam::untitled()));
  Uuid examID = documents_.back().exam.id;
  select(examID);
  setTab(Tab::builder);
  scheduleSave(examID);
  notify(&AppModel::libraryChanged);
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
  notify(&AppModel::libraryChanged);
}

void AppModel::deleteTest(const Uuid &examID) {
  cancelSave(examID);
  std::erase_if(documents_, [&](const ExamDocument &d) { return d.exam.id == examID; });
  (void)QtConcurrent::run([library = library_, examID] { library.remove(examID); });
  if (selectedID_ == examID)
    select(documents_.empty() ? std::nullopt : std::optional(documents_.front().exam.id));
  notify(&AppModel::libraryChanged);
}

void AppModel::update(const std::function<void(ExamDocument &)> &change,
                      std::optional<Uuid> examID) {
  std::optional<Uuid> target = examID ? examID : selectedID_;
  ExamDocument *doc = target ? mutableDocument(*target) : nullptr;
  if (!doc)
    return;
  assertInterfaceThread();
  change(*doc);
  doc->modified = Date::now();
  scheduleSave(*target);
  assertInterfaceThread();
  emit documentChanged(*target);
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

// Background jobs

template <typename Result>
void AppModel::startJob(Progress progress,
                        std::function<Result(std::stop_token, const JobReport &)> work,
                        std::function<void(Result, bool)> finish) {
  int number = ++jobCount_;
  gradeTask_ = Task{number, {}};
  std::stop_token stop = gradeTask_->stop.get_token();
  setProgress(std::move(progress));
  // The job only touches the model by posting to this thread; the destructor waits for it.
  (void)QtConcurrent::run(&jobPool_, [this, number, stop, work = std::move(work),
                                      finish = std::move(finish)] {
    JobReport report = [this, number](int done, int total) { postProgress(number, done, total); };
    auto result = std::make_shared<Result>(work(stop, report));
    bool cancelled = stop.stop_requested();
    QMetaObject::invokeMethod(
        this,
        [this, number, result, cancelled, finish] {
          if (!gradeTask_ || gradeTask_->number != number)
            return;
          gradeTask_.reset();
          setProgress(std::nullopt);
          finish(std::move(*result), cancelled);
        },
        Qt::QueuedConnection);
  });
}

void AppModel::postProgress(int job, int done, int total) {
  QMetaObject::invokeMethod(
      this,
      [this, job, done, total] {
        if (!gradeTask_ || gradeTask_->number != job || !progress_)
          return;
        progress_->done = done;
        progress_->total = total;
        notify(&AppModel::progressChanged);
      },
      Qt::QueuedConnection);
}

void AppModel::inBackground(std::function<void()> write) {
  std::erase_if(writes_, [](const QFuture<void> &w) { return w.isFinished(); });
  writes_.push_back(QtConcurrent::run(std::move(write)));
}

void AppModel::waitForBackgroundWrites() {
  for (QFuture<void> &write : writes_)
    write.waitForFinished();
  writes_.clear();
}

void AppModel::cancelGrading() {
  if (gradeTask_)
    gradeTask_->stop.request_stop();
}

// Grading runs

void AppModel::grade(std::vector<ScanSource> sources) {
  if (selectedID_)
    startGrading(*selectedID_, std::move(sources));
}

bool AppModel::startGrading(const Uuid &examID, std::vector<ScanSource> sources,
                            std::optional<fs::path> temporaryFolder, std::vector<fs::path> photos) {
  const ExamDocument *doc = document(examID);
  if (!doc || (sources.empty() && photos.empty()) || progress_) {
    if (temporaryFolder)
      removeFolder(*temporaryFolder);
    return false;
  }
  if (!photos.empty())
    sources.push_back(ScanSource::images({}, "Phone photos"));
  std::string title = "Reading " + GradingRun::scanName(sources) + "\u2026";
  auto shared = std::make_shared<std::vector<ScanSource>>(std::move(sources));
  startJob<std::optional<GradingRun::Reading>>(
      Progress{title, 0, 0},
      [exam = doc->exam, shared, photos = std::move(photos)](
          std::stop_token stop, const JobReport &report) -> std::optional<GradingRun::Reading> {
        if (!photos.empty() && !decodePhotos(photos, shared->back(), stop))
          shared->pop_back();
        if (shared->empty())
          return std::nullopt;
        return GradingRun::read(*shared, exam, report, stop);
      },
      [this, examID, temporaryFolder](std::optional<GradingRun::Reading> reading, bool cancelled) {
        if (temporaryFolder)
          removeFolder(*temporaryFolder);
        if (cancelled)
          return;
        if (reading)
          finishGrading(examID, *reading);
        else
          showNothingCameOver(*this);
      });
  setTab(Tab::grading);
  return true;
}

void AppModel::finishGrading(const Uuid &examID, const GradingRun::Reading &reading) {
  const ExamDocument *doc = document(examID);
  if (!doc)
    return;
  GradingRun::Result result = GradingRun::complete(reading, *doc);
  inBackground([library = library_, images = std::move(result.assembly.images), examID] {
    (void)library.saveImages(images, examID);
  });
  update([&result](ExamDocument &d) { GradingRun::apply(result, d); }, examID);
  if (selectedID_ == examID && !selectedSheet_ && !result.assembly.sheets.empty())
    setSelectedSheet(result.assembly.sheets.front().id);
  if (result.key) {
    keyCheck_ = KeyCheck{std::move(*result.key), examID, std::move(result.gradingNote)};
    notify(&AppModel::keyCheckChanged);
  } else {
    showMessage(std::move(result.title), std::move(result.detail));
  }
}

const std::vector<std::string> &AppModel::droppableExtensions() {
  static const std::vector<std::string> extensions{"pdf",  "png", "jpg", "jpeg",
                                                   "heic", "tif", "tiff"};
  return extensions;
}

bool AppModel::gradeDroppedFiles(const std::vector<fs::path> &paths) {
  std::vector<ScanSource> sources;
  for (const fs::path &path : paths)
    if (std::ranges::find(droppableExtensions(), lowerExtension(path)) !=
        droppableExtensions().end())
      sources.push_back(ScanSource::file(path));
  if (sources.empty() || progress_)
    return false;
  grade(std::move(sources));
  return true;
}

void AppModel::importPhotos(const std::vector<fs::path> &paths) {
  if (progress_ || !selectedID_)
    return;
  std::vector<ScanSource> pdfs;
  std::vector<fs::path> photos;
  for (const fs::path &path : paths) {
    std::error_code error;
    if (lowerExtension(path) != "pdf")
      photos.push_back(path);
    else if (fs::is_regular_file(path, error))
      pdfs.push_back(ScanSource::file(path));
  }
  if (pdfs.empty() && photos.empty())
    showNothingCameOver(*this);
  else
    startGrading(*selectedID_, std::move(pdfs), std::nullopt, std::move(photos));
}

void AppModel::importRoster(const fs::path &path) {
  const ExamDocument *doc = selectedDocument();
  if (!doc)
    return;
  auto bytes = FileIO::read(path);
  if (!bytes) {
    showMessage("That roster couldn\u2019t be imported",
                RosterImport::Failure::unreadable().description());
    return;
  }
  // Imported into a copy first, so a failed import leaves the document untouched.
  ExamDocument imported = *doc;
  auto result = RosterUpdate::importRoster(imported, *bytes, path.filename().string());
  if (!result) {
    showMessage("That roster couldn\u2019t be imported", result.error());
    return;
  }
  update([&imported](ExamDocument &d) {
    d.roster = std::move(imported.roster);
    d.sheets = std::move(imported.sheets);
  });
  if (!result->notes.empty())
    showMessage(result->title, joinedLines(result->notes));
}

void AppModel::gradeScans() {
  if (!panels_ || progress_ || !selectedDocument())
    return;
  setShowScanImporter(true);
  std::vector<fs::path> chosen =
      panels_->chooseFiles({"Choose the class\u2019s scanned PDF, or pictures of its sheets.",
                            "Grade", OpenPanel::Files::scans});
  setShowScanImporter(false);
  std::vector<ScanSource> sources;
  for (const fs::path &path : chosen)
    sources.push_back(ScanSource::file(path));
  if (!sources.empty())
    grade(std::move(sources));
}

void AppModel::importPhotos() {
  if (!panels_ || progress_ || !selectedDocument())
    return;
  std::vector<fs::path> chosen =
      panels_->chooseFiles({"Choose photos or PDFs of the answer sheets, taken with a phone.",
                            "Grade", OpenPanel::Files::scans});
  if (!chosen.empty())
    importPhotos(chosen);
}

void AppModel::importRoster() {
  if (!panels_ || !selectedDocument())
    return;
  setShowRosterImporter(true);
  std::vector<fs::path> chosen =
      panels_->chooseFiles({"Choose a class list: a CSV with student IDs and names.", "Import",
                            OpenPanel::Files::roster});
  setShowRosterImporter(false);
  if (!chosen.empty())
    importRoster(chosen.front());
}

// The sample class

void AppModel::trySampleClass() {
  if (progress_)
    return;
  const Uuid &sampleID = sampleTestID();
  if (const ExamDocument *existing = document(sampleID)) {
    bool graded = !existing->sheets.empty();
    select(sampleID);
    setTab(graded ? Tab::review : Tab::grading);
    if (graded)
      return;
  } else {
    ExamDocument sample = ExamDocument::make(SampleClass::exam(Date::now()));
    sample.roster = SampleClass::roster();
    documents_.push_back(std::move(sample));
    select(sampleID);
    scheduleSave(sampleID);
    setTab(Tab::grading);
  }
  const ExamDocument *doc = document(sampleID);
  startJob<std::optional<fs::path>>(
      Progress{"Making the sample class\u2019s scan\u2026", 0, 0},
      [exam = doc->exam, roster = doc->roster](std::stop_token,
                                               const JobReport &) -> std::optional<fs::path> {
        auto pdf = SampleClass::scanPDF(exam, roster);
        auto folder = pdf ? newTemporaryFolder() : std::nullopt;
        if (!folder)
          return std::nullopt;
        fs::path scan = *folder / SampleClass::scanFileName;
        if (!FileIO::writeAtomically(scan, *pdf)) {
          removeFolder(*folder);
          return std::nullopt;
        }
        return scan;
      },
      [this, sampleID](std::optional<fs::path> scan, bool cancelled) {
        if (cancelled) {
          if (scan)
            removeFolder(scan->parent_path());
          return;
        }
        if (!scan) {
          showMessage("The sample scan couldn\u2019t be made", "Please try again.");
          return;
        }
        // Graded against the sample test even if another test was chosen meanwhile.
        startGrading(sampleID, {ScanSource::file(*scan)}, scan->parent_path());
      });
}

AppModel::SavePanel AppModel::sampleScanPanel() {
  return {Exports::suggestedFileName("Sample Class Scan", "pdf"),
          "Save the sample class\u2019s scanned sheets. Grade them against the sample test."};
}

void AppModel::saveSampleScan(const fs::path &destination) {
  if (progress_)
    return;
  startJob<std::optional<Bytes>>(
      Progress{"Making the sample class\u2019s scan\u2026", 0, 0},
      [](std::stop_token, const JobReport &) {
        return SampleClass::scanPDF(SampleClass::exam(Date::now()), SampleClass::roster());
      },
      [this, destination](std::optional<Bytes> pdf, bool cancelled) {
        if (!cancelled)
          saveFile(destination, [&pdf] { return std::move(pdf); });
      });
}

void AppModel::saveSampleScan() {
  if (progress_)
    return;
  if (auto destination = chooseSaveFile(sampleScanPanel()))
    saveSampleScan(*destination);
}

bool AppModel::saveFile(const fs::path &destination,
                        const std::function<std::optional<Bytes>()> &make) {
  std::optional<Bytes> bytes = make();
  if (!bytes) {
    showMessage("The file couldn\u2019t be made", "Please try again.");
    return false;
  }
  if (auto written = FileIO::writeAtomically(destination, *bytes); !written) {
    showMessage("The file couldn\u2019t be saved", written.error());
    return false;
  }
  return true;
}

// Printing

namespace {

// One pre-filled sheet per roster student, by name.
std::vector<SheetFill> rosterFills(const Roster &roster) {
  std::vector<SheetFill> fills;
  for (const Student &student : roster.sorted())
    fills.push_back({student.name(), student.id, false});
  return fills;
}

} // namespace

std::vector<AppModel::PrintPage> AppModel::printPages() const {
  const ExamDocument *doc = selectedDocument();
  if (!doc)
    return {};
  std::vector<std::optional<SheetFill>> sheets;
  if (printForRoster_ && !doc->roster.students.empty())
    for (SheetFill &fill : rosterFills(doc->roster))
      sheets.emplace_back(std::move(fill));
  else
    sheets.resize(static_cast<size_t>(std::max(1, printCopies_)));
  std::vector<PrintPage> pages;
  for (const std::optional<SheetFill> &fill : sheets)
    for (int page = 1; page <= doc->exam.pageCount(); ++page)
      pages.push_back({printVersion_, page, fill});
  return pages;
}

std::optional<AppModel::SavePanel> AppModel::sheetsPanel() const {
  const ExamDocument *doc = selectedDocument();
  if (!doc)
    return std::nullopt;
  return SavePanel{Exports::suggestedFileName(doc->exam.title + " Version " +
                                                  Choices::letter(printVersion_) + " Sheets",
                                              "pdf"),
                   "Save the answer sheets as a PDF."};
}

void AppModel::saveSheetsPDF(const fs::path &destination) {
  const ExamDocument *doc = selectedDocument();
  if (!doc)
    return;
  SheetJob job{printVersion_, printCopies_,
               printForRoster_ ? rosterFills(doc->roster) : std::vector<SheetFill>{}};
  saveFile(destination, [&] { return SheetPDF::make(doc->exam, {job}); });
}

void AppModel::saveSheetsPDF() {
  if (auto destination = chooseSaveFile(sheetsPanel()))
    saveSheetsPDF(*destination);
}

void AppModel::printSheets() {
  const ExamDocument *doc = selectedDocument();
  if (doc && panels_)
    panels_->print({doc->exam, printPages()});
}

std::optional<AppModel::SavePanel> AppModel::answerKeySheetPanel() const {
  const ExamDocument *doc = selectedDocument();
  if (!doc)
    return std::nullopt;
  return SavePanel{Exports::suggestedFileName(doc->exam.title + " Answer Key Sheet", "pdf"),
                   "Save a sheet to bubble as the answer key."};
}

void AppModel::saveAnswerKeySheet(const fs::path &destination) {
  if (const ExamDocument *doc = selectedDocument())
    saveFile(destination, [doc] {
      return SheetPDF::make(doc->exam, {SheetJob{0, 1, {SheetFill::answerKey()}}});
    });
}

void AppModel::saveAnswerKeySheet() {
  if (auto destination = chooseSaveFile(answerKeySheetPanel()))
    saveAnswerKeySheet(*destination);
}

// Review

std::vector<AppModel::ReviewItem> AppModel::reviewItems() const {
  const ExamDocument *doc = selectedDocument();
  return doc ? Review::items(*doc) : std::vector<ReviewItem>{};
}

int AppModel::openItemCount() const {
  const ExamDocument *doc = selectedDocument();
  return doc ? Exports::openItemCount(*doc) : 0;
}

bool AppModel::isOpen(const ReviewItem &item) const {
  const ExamDocument *doc = selectedDocument();
  return doc && Review::isOpen(*doc, item);
}

void AppModel::selectNextItem() {
  if (auto next = Review::step(reviewItems(), reviewSelection_, true, [](auto &) { return true; }))
    setReviewSelection(next);
}

void AppModel::selectPreviousItem() {
  if (auto previous =
          Review::step(reviewItems(), reviewSelection_, false, [](auto &) { return true; }))
    setReviewSelection(previous);
}

void AppModel::selectNextOpenItem() {
  if (auto next = Review::step(reviewItems(), reviewSelection_, true,
                               [this](const ReviewItem &item) { return isOpen(item); }))
    setReviewSelection(next);
}

const ScannedSheet *AppModel::selectedTestSheet(const Uuid &sheetID) const {
  const ExamDocument *doc = selectedDocument();
  if (!doc)
    return nullptr;
  auto found = std::ranges::find(doc->sheets, sheetID, &ScannedSheet::id);
  return found == doc->sheets.end() ? nullptr : &*found;
}

void AppModel::resolve(const Uuid &sheetID, const Uuid &flagID,
                       std::optional<Resolution> resolution) {
  const ScannedSheet *sheet = selectedTestSheet(sheetID);
  if (!sheet || std::ranges::find(sheet->flags, flagID, &ReviewFlag::id) == sheet->flags.end())
    return;
  update([&](ExamDocument &d) { Review::resolve(d, sheetID, flagID, std::move(resolution)); });
}

void AppModel::setExcluded(const Uuid &sheetID, bool excluded) {
  if (selectedTestSheet(sheetID))
    update([&](ExamDocument &d) { Review::setExcluded(d, sheetID, excluded); });
}

void AppModel::dismissIssue(const Uuid &issueID) {
  const ExamDocument *doc = selectedDocument();
  if (doc && std::ranges::find(doc->issues, issueID, &ScanIssue::id) != doc->issues.end())
    update([&](ExamDocument &d) { Review::dismissIssue(d, issueID); });
}

void AppModel::gradeIssueAsVersion(const Uuid &issueID, int version) {
  const ExamDocument *doc = selectedDocument();
  if (!doc)
    return;
  auto issue = std::ranges::find(doc->issues, issueID, &ScanIssue::id);
  if (issue == doc->issues.end())
    return;
  const std::string failed = "The page wasn\u2019t graded";
  std::optional<Bytes> picture = issue->image ? imageData(*issue->image) : std::nullopt;
  if (!picture) {
    showMessage(failed, "The picture of that page isn\u2019t in the library any more.");
    return;
  }
  // Read into a copy, so a page that still can't be read changes nothing.
  ExamDocument regraded = *doc;
  auto regrade = Review::gradeIssueAsVersion(regraded, issueID, version, *picture);
  if (!regrade) {
    showMessage(failed, regrade.error());
    return;
  }
  Uuid examID = doc->exam.id;
  inBackground([library = library_, images = std::move(regrade->images), examID] {
    (void)library.saveImages(images, examID);
  });
  update([&regraded](ExamDocument &d) {
    d.sheets = std::move(regraded.sheets);
    d.issues = std::move(regraded.issues);
  });
  if (reviewSelection_ == ReviewItem{ReviewItem::Issue{issueID}})
    setReviewSelection(std::nullopt);
  if (regrade->retired) {
    imageCache_.erase(*regrade->retired);
    inBackground([library = library_, retired = *regrade->retired, examID] {
      library.deleteImages({retired}, examID);
    });
  }
}

void AppModel::removeSheet(const Uuid &sheetID) {
  if (!selectedTestSheet(sheetID))
    return;
  Uuid examID = *selectedID_;
  std::vector<Uuid> pictures;
  update([&](ExamDocument &d) { pictures = Review::removeSheet(d, sheetID).value_or(pictures); });
  if (selectedSheet_ == sheetID)
    selectedSheet_.reset();
  if (reviewSelection_) {
    auto *flag = std::get_if<ReviewItem::Flag>(&reviewSelection_->target);
    if (flag && flag->sheet == sheetID)
      reviewSelection_.reset();
  }
  for (const Uuid &picture : pictures)
    imageCache_.erase(picture);
  inBackground([library = library_, pictures, examID] { library.deleteImages(pictures, examID); });
  notify(&AppModel::selectionChanged);
}

// Rescan of one sheet

std::optional<AppModel::OpenPanel> AppModel::rescanPanel(const Uuid &sheetID) const {
  const ScannedSheet *sheet = selectedTestSheet(sheetID);
  if (!sheet)
    return std::nullopt;
  std::string who = "sheet " + std::to_string(sheet->number);
  if (auto id = sheet->studentID())
    if (auto student = selectedDocument()->roster.student(*id))
      who = student->name();
  return OpenPanel{"Choose a new scan of " + who +
                       "\u2019s answer sheet (all its pages). It replaces this sheet only; the "
                       "rest of the class stays as graded.",
                   "Rescan"};
}

void AppModel::rescanSheet(const Uuid &sheetID, const fs::path &path) {
  if (!selectedTestSheet(sheetID) || progress_)
    return;
  const ExamDocument *doc = selectedDocument();
  Uuid examID = doc->exam.id;
  startJob<GradingRun::Reading>(
      Progress{"Reading the new scan\u2026", 0, 0},
      [exam = doc->exam, path](std::stop_token stop, const JobReport &report) {
        return GradingRun::read({ScanSource::file(path)}, exam, report, stop);
      },
      [this, examID, sheetID](GradingRun::Reading reading, bool cancelled) {
        if (!cancelled)
          finishRescan(examID, sheetID, reading);
      });
}

void AppModel::rescanSheet(const Uuid &sheetID) {
  if (progress_)
    return;
  if (auto path = chooseFile(rescanPanel(sheetID)))
    rescanSheet(sheetID, *path);
}

void AppModel::finishRescan(const Uuid &examID, const Uuid &sheetID,
                            const GradingRun::Reading &reading) {
  const ExamDocument *doc = document(examID);
  if (!doc || std::ranges::find(doc->sheets, sheetID, &ScannedSheet::id) == doc->sheets.end())
    return;
  ExamDocument copy = *doc;
  auto replaced = Rescan::replace(sheetID, copy.exam, copy.roster, copy.sheets, reading.outcomes);
  if (!replaced) {
    std::vector<std::string> lines{replaced.error().description()};
    lines.insert(lines.end(), reading.errors.begin(), reading.errors.end());
    showMessage("The sheet wasn\u2019t replaced", joinedLines(lines));
    return;
  }
  inBackground([library = library_, images = replaced->images, examID] {
    (void)library.saveImages(images, examID);
  });
  for (const Uuid &old : replaced->replacedImages)
    imageCache_.erase(old);
  inBackground([library = library_, old = replaced->replacedImages, examID] {
    library.deleteImages(old, examID);
  });
  update([&copy](ExamDocument &d) { d.sheets = std::move(copy.sheets); }, examID);
  setSelectedSheet(sheetID);
  auto sheet = std::ranges::find(document(examID)->sheets, sheetID, &ScannedSheet::id);
  std::vector<std::string> lines = replaced->summary.sentences();
  lines.insert(lines.end(), reading.errors.begin(), reading.errors.end());
  showMessage("Sheet " + std::to_string(sheet->number) + " replaced", joinedLines(lines));
}

// The answer key check

AppModel::OpenPanel AppModel::answerKeyPanel() {
  return {"Choose the scan of the sheet you bubbled as the answer key.", "Read Key"};
}

void AppModel::scanAnswerKey(const fs::path &path) {
  const ExamDocument *doc = selectedDocument();
  if (!doc || progress_)
    return;
  Uuid examID = doc->exam.id;
  startJob<GradingRun::Reading>(
      Progress{"Reading the answer key\u2026", 0, 0},
      [exam = doc->exam, path](std::stop_token stop, const JobReport &report) {
        return GradingRun::read({ScanSource::file(path)}, exam, report, stop);
      },
      [this, examID](GradingRun::Reading reading, bool cancelled) {
        const ExamDocument *doc = document(examID);
        if (cancelled || !doc)
          return;
        // A normal answer sheet bubbled with the key is taken when no key sheet came in.
        std::vector<PageOutcome> keyPages;
        for (const PageOutcome &outcome : reading.outcomes)
          if (!outcome.problem && outcome.identity && outcome.identity->isKey)
            keyPages.push_back(outcome);
        auto key = KeyScan::readKey(keyPages.empty() ? reading.outcomes : keyPages, doc->exam);
        if (!key) {
          std::vector<std::string> lines{key.error().description()};
          lines.insert(lines.end(), reading.errors.begin(), reading.errors.end());
          showMessage("The answer key couldn\u2019t be read", joinedLines(lines));
          return;
        }
        keyCheck_ = KeyCheck{std::move(*key), examID,
                             reading.errors.empty() ? std::nullopt
                                                    : std::optional(joinedLines(reading.errors))};
        notify(&AppModel::keyCheckChanged);
      });
}

void AppModel::scanAnswerKey() {
  if (!selectedDocument() || progress_)
    return;
  if (auto path = chooseFile(answerKeyPanel()))
    scanAnswerKey(*path);
}

void AppModel::applyKey(const std::vector<std::optional<int>> &answers, const Uuid &examID) {
  update([&answers](ExamDocument &d) { ovalon::KeyCheck::applyKey(d.exam, answers); }, examID);
  cancelKeyCheck();
}

void AppModel::cancelKeyCheck() {
  assign(keyCheck_, std::optional<KeyCheck>(), &AppModel::keyCheckChanged);
}

// Results and exports

std::optional<ItemAnalysis> AppModel::analysis() {
  const ExamDocument *doc = selectedDocument();
  if (!doc)
    return std::nullopt;
  if (analysisCache_ && analysisCache_->examID == doc->exam.id &&
      analysisCache_->modified == doc->modified && analysisCache_->sheets == doc->sheets.size())
    return analysisCache_->analysis;
  analysisCache_ = AnalysisCache{doc->exam.id, doc->modified, doc->sheets.size(),
                                 ItemAnalysis::analyze(doc->exam, doc->sheets)};
  return analysisCache_->analysis;
}

std::optional<std::string> AppModel::exportBlocker() const {
  const ExamDocument *doc = selectedDocument();
  if (!doc)
    return "Choose a test.";
  return Exports::blocker(*doc);
}

bool AppModel::exportBlocked(const std::string &title) {
  auto reason = exportBlocker();
  if (reason)
    showMessage(title, *reason);
  return reason.has_value();
}

namespace {

constexpr const char *scoresBlocked = "Scores aren\u2019t ready to export";
constexpr const char *slipsBlocked = "The slips aren\u2019t ready";
constexpr const char *reportBlocked = "The report isn\u2019t ready";

} // namespace

std::optional<AppModel::SavePanel> AppModel::exportPanel(Export kind) {
  const ExamDocument *doc = selectedDocument();
  auto named = [doc](const std::string &suffix, const char *extension) {
    return Exports::suggestedFileName(doc ? doc->exam.title + suffix : suffix, extension);
  };
  switch (kind) {
  case Export::scores:
    if (exportBlocked(scoresBlocked))
      return std::nullopt;
    return SavePanel{named(" Scores", "csv"), "Save the scores for your gradebook."};
  case Export::slips:
    if (exportBlocked(slipsBlocked))
      return std::nullopt;
    return SavePanel{named(" Result Slips", "pdf"), "Save a result slip for each student."};
  case Export::report:
    if (!doc || exportBlocked(reportBlocked))
      return std::nullopt;
    return SavePanel{named(" Item Analysis", "pdf"), "Save the item-analysis report."};
  case Export::answerKeys:
    if (!doc)
      return std::nullopt;
    return SavePanel{named(" Answer Keys", "pdf"),
                     "Save each version's answer key and question order."};
  }
  return std::nullopt;
}

void AppModel::exportScores(const fs::path &destination, bool includeAnswers) {
  if (exportBlocked(scoresBlocked))
    return;
  const ExamDocument &doc = *selectedDocument();
  saveFile(destination, [&] { return std::optional(Exports::scores(doc, includeAnswers)); });
}

void AppModel::exportSlips(const fs::path &destination, SlipLayout layout) {
  if (exportBlocked(slipsBlocked))
    return;
  const ExamDocument &doc = *selectedDocument();
  saveFile(destination, [&] { return Exports::slips(doc, layout); });
}

void AppModel::exportReport(const fs::path &destination) {
  std::optional<ItemAnalysis> items = analysis();
  if (!items || exportBlocked(reportBlocked))
    return;
  const Exam &exam = selectedDocument()->exam;
  saveFile(destination, [&] { return Reports::itemAnalysisPDF(exam, *items, Date::now()); });
}

void AppModel::exportAnswerKeys(const fs::path &destination) {
  if (const ExamDocument *doc = selectedDocument())
    saveFile(destination, [doc] { return Exports::answerKeys(*doc); });
}

void AppModel::exportScores(bool includeAnswers) {
  if (auto destination = chooseSaveFile(exportPanel(Export::scores)))
    exportScores(*destination, includeAnswers);
}

void AppModel::exportSlips(SlipLayout layout) {
  if (auto destination = chooseSaveFile(exportPanel(Export::slips)))
    exportSlips(*destination, layout);
}

void AppModel::exportReport() {
  if (auto destination = chooseSaveFile(exportPanel(Export::report)))
    exportReport(*destination);
}

void AppModel::exportAnswerKeys() {
  if (auto destination = chooseSaveFile(exportPanel(Export::answerKeys)))
    exportAnswerKeys(*destination);
}

} // namespace ovalon
