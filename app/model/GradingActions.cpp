#include "model/GradingActions.h"

#include "library/FileIO.h"
#include "model/AppModel.h"
#include "simulator/SampleClass.h"
#include "workflow/Exports.h"

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

// The sample class's scan written to a fresh temporary folder, or nothing.
std::optional<fs::path> writeSampleScan(const Exam &exam, const Roster &roster) {
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
}

void showNothingCameOver(AppModel &model) {
  model.showMessage("Nothing to grade came over", "Choose photos or PDFs of the answer sheets.");
}

const Uuid &sampleTestID() {
  static const Uuid id = *Uuid::parse(SampleClass::testID);
  return id;
}

} // namespace

const std::vector<std::string> &GradingActions::droppableExtensions() {
  static const std::vector<std::string> extensions{"pdf",  "png", "jpg", "jpeg",
                                                   "heic", "tif", "tiff"};
  return extensions;
}

void GradingActions::grade(std::vector<ScanSource> sources) {
  if (model_.selectedID_)
    startGrading(*model_.selectedID_, std::move(sources));
}

bool GradingActions::startGrading(const Uuid &examID, std::vector<ScanSource> sources,
                                  std::optional<fs::path> temporaryFolder,
                                  std::vector<fs::path> photos) {
  const ExamDocument *doc = model_.document(examID);
  if (!doc || (sources.empty() && photos.empty()) || model_.progress()) {
    if (temporaryFolder)
      removeFolder(*temporaryFolder);
    return false;
  }
  if (!photos.empty())
    sources.push_back(ScanSource::photos(std::move(photos), "Phone photos"));
  std::string title = "Reading " + GradingRun::scanName(sources) + "\u2026";
  auto shared = std::make_shared<std::vector<ScanSource>>(std::move(sources));
  model_.jobs_.start<GradingRun::Reading>(
      {title, 0, 0},
      [exam = doc->exam, shared](std::stop_token stop, const JobRunner::Report &report) {
        return GradingRun::read(*shared, exam, report, stop);
      },
      [this, examID, temporaryFolder](GradingRun::Reading reading, bool cancelled) {
        if (temporaryFolder)
          removeFolder(*temporaryFolder);
        if (!cancelled)
          finishGrading(examID, reading);
      });
  model_.setTab(AppModel::Tab::grading);
  return true;
}

void GradingActions::finishGrading(const Uuid &examID, const GradingRun::Reading &reading) {
  const ExamDocument *doc = model_.document(examID);
  if (!doc)
    return;
  GradingRun::Result result = GradingRun::complete(reading, *doc);
  // The pictures are queued before the sheets that show them.
  model_.store_.storeImages(examID, std::move(result.assembly.images));
  model_.update([result](ExamDocument &d) { GradingRun::apply(result, d); }, examID);
  if (model_.selectedID_ == examID && !model_.selectedSheet_ && !result.assembly.sheets.empty())
    model_.setSelectedSheet(result.assembly.sheets.front().id);
  if (result.key)
    model_.setKeyCheck(
        AppModel::KeyCheck{std::move(*result.key), examID, std::move(result.gradingNote)});
  else
    model_.showMessage(std::move(result.title), std::move(result.detail));
}

bool GradingActions::gradeDroppedFiles(const std::vector<fs::path> &paths) {
  std::vector<ScanSource> sources;
  for (const fs::path &path : paths)
    if (std::ranges::find(droppableExtensions(), lowerExtension(path)) !=
        droppableExtensions().end())
      sources.push_back(ScanSource::file(path));
  if (sources.empty() || model_.progress())
    return false;
  grade(std::move(sources));
  return true;
}

void GradingActions::importPhotos(const std::vector<fs::path> &paths) {
  if (model_.progress() || !model_.selectedID_)
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
    showNothingCameOver(model_);
  else
    startGrading(*model_.selectedID_, std::move(pdfs), std::nullopt, std::move(photos));
}

void GradingActions::gradeScans() {
  if (!model_.panels_ || model_.progress() || !model_.selectedDocument())
    return;
  model_.setShowScanImporter(true);
  std::vector<fs::path> chosen =
      model_.chooseFiles({"Choose the class\u2019s scanned PDF, or pictures of its sheets.",
                          "Grade", OpenPanel::Files::scans});
  model_.setShowScanImporter(false);
  std::vector<ScanSource> sources;
  for (const fs::path &path : chosen)
    sources.push_back(ScanSource::file(path));
  if (!sources.empty())
    grade(std::move(sources));
}

void GradingActions::importPhotos() {
  if (!model_.panels_ || model_.progress() || !model_.selectedDocument())
    return;
  std::vector<fs::path> chosen =
      model_.chooseFiles({"Choose photos or PDFs of the answer sheets, taken with a phone.",
                          "Grade", OpenPanel::Files::scans});
  if (!chosen.empty())
    importPhotos(chosen);
}

// The sample class

void GradingActions::trySampleClass() {
  if (model_.progress())
    return;
  const Uuid &sampleID = sampleTestID();
  if (const ExamDocument *existing = model_.document(sampleID)) {
    bool graded = !existing->sheets.empty();
    model_.select(sampleID);
    model_.setTab(graded ? AppModel::Tab::review : AppModel::Tab::grading);
    if (graded)
      return;
  } else {
    ExamDocument sample = ExamDocument::make(SampleClass::exam(Date::now()));
    sample.roster = SampleClass::roster();
    model_.store_.add(std::move(sample));
    model_.select(sampleID);
    model_.setTab(AppModel::Tab::grading);
  }
  makeSampleScan(sampleID);
}

void GradingActions::makeSampleScan(const Uuid &sampleID) {
  const ExamDocument *doc = model_.document(sampleID);
  model_.jobs_.start<std::optional<fs::path>>(
      {"Making the sample class\u2019s scan\u2026", 0, 0},
      [exam = doc->exam, roster = doc->roster](std::stop_token, const JobRunner::Report &) {
        return writeSampleScan(exam, roster);
      },
      [this, sampleID](std::optional<fs::path> scan, bool cancelled) {
        if (cancelled) {
          if (scan)
            removeFolder(scan->parent_path());
          return;
        }
        if (!scan) {
          model_.showMessage("The sample scan couldn\u2019t be made", "Please try again.");
          return;
        }
        // Graded against the sample test even if another test was chosen meanwhile.
        startGrading(sampleID, {ScanSource::file(*scan)}, scan->parent_path());
      });
}

SavePanel GradingActions::sampleScanPanel() {
  return {Exports::suggestedFileName("Sample Class Scan", "pdf"),
          "Save the sample class\u2019s scanned sheets. Grade them against the sample test."};
}

void GradingActions::saveSampleScan(const fs::path &destination) {
  model_.jobs_.start<std::optional<Bytes>>(
      {"Making the sample class\u2019s scan\u2026", 0, 0},
      [](std::stop_token, const JobRunner::Report &) {
        return SampleClass::scanPDF(SampleClass::exam(Date::now()), SampleClass::roster());
      },
      [this, destination](std::optional<Bytes> pdf, bool cancelled) {
        if (!cancelled)
          model_.saveFile(destination, [&pdf] { return std::move(pdf); });
      });
}

void GradingActions::saveSampleScan() {
  if (model_.progress())
    return;
  if (auto destination = model_.chooseSaveFile(sampleScanPanel()))
    saveSampleScan(*destination);
}

// The AppModel operations this object carries out.

const std::vector<std::string> &AppModel::droppableExtensions() {
  return GradingActions::droppableExtensions();
}

void AppModel::grade(std::vector<ScanSource> sources) {
  grading_->grade(std::move(sources));
}

bool AppModel::gradeDroppedFiles(const std::vector<fs::path> &paths) {
  return grading_->gradeDroppedFiles(paths);
}

void AppModel::importPhotos(const std::vector<fs::path> &paths) {
  grading_->importPhotos(paths);
}

void AppModel::gradeScans() {
  grading_->gradeScans();
}

void AppModel::importPhotos() {
  grading_->importPhotos();
}

void AppModel::trySampleClass() {
  grading_->trySampleClass();
}

AppModel::SavePanel AppModel::sampleScanPanel() {
  return GradingActions::sampleScanPanel();
}

void AppModel::saveSampleScan(const fs::path &destination) {
  grading_->saveSampleScan(destination);
}

void AppModel::saveSampleScan() {
  grading_->saveSampleScan();
}

} // namespace ovalon
