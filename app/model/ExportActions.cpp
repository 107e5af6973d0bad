#include "model/ExportActions.h"

#include "library/FileIO.h"
#include "reports/Reports.h"
#include "workflow/Exports.h"

namespace ovalon {

namespace fs = std::filesystem;

namespace {

constexpr const char *scoresBlocked = "Scores aren\u2019t ready to export";
constexpr const char *slipsBlocked = "The slips aren\u2019t ready";
constexpr const char *reportBlocked = "The report isn\u2019t ready";

} // namespace

std::optional<ItemAnalysis> ExportActions::analysis() {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return std::nullopt;
  if (analysisCache_ && analysisCache_->examID == doc->exam.id &&
      analysisCache_->modified == doc->modified && analysisCache_->sheets == doc->sheets.size())
    return analysisCache_->analysis;
  analysisCache_ = AnalysisCache{doc->exam.id, doc->modified, doc->sheets.size(),
                                 ItemAnalysis::analyze(doc->exam, doc->sheets)};
  return analysisCache_->analysis;
}

std::optional<std::string> ExportActions::blocker() const {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return "Choose a test.";
  return Exports::blocker(*doc);
}

bool ExportActions::blocked(const std::string &title) {
  auto reason = blocker();
  if (reason)
    model_.showMessage(title, *reason);
  return reason.has_value();
}

std::optional<SavePanel> ExportActions::panel(AppModel::Export kind) {
  const ExamDocument *doc = model_.selectedDocument();
  auto named = [doc](const std::string &suffix, const char *extension) {
    return Exports::suggestedFileName(doc ? doc->exam.title + suffix : suffix, extension);
  };
  switch (kind) {
  case AppModel::Export::scores:
    if (blocked(scoresBlocked))
      return std::nullopt;
    return SavePanel{named(" Scores", "csv"), "Save the scores for your gradebook."};
  case AppModel::Export::slips:
    if (blocked(slipsBlocked))
      return std::nullopt;
    return SavePanel{named(" Result Slips", "pdf"), "Save a result slip for each student."};
  case AppModel::Export::report:
    if (!doc || blocked(reportBlocked))
      return std::nullopt;
    return SavePanel{named(" Item Analysis", "pdf"), "Save the item-analysis report."};
  case AppModel::Export::answerKeys:
    if (!doc)
      return std::nullopt;
    return SavePanel{named(" Answer Keys", "pdf"),
                     "Save each version's answer key and question order."};
  }
  return std::nullopt;
}

void ExportActions::exportScores(const fs::path &destination, bool includeAnswers) {
  if (blocked(scoresBlocked))
    return;
  const ExamDocument &doc = *model_.selectedDocument();
  saveFile(destination, [&] { return std::optional(Exports::scores(doc, includeAnswers)); });
}

void ExportActions::exportSlips(const fs::path &destination, SlipLayout layout) {
  if (blocked(slipsBlocked))
    return;
  const ExamDocument &doc = *model_.selectedDocument();
  saveFile(destination, [&] { return Exports::slips(doc, layout); });
}

void ExportActions::exportReport(const fs::path &destination) {
  std::optional<ItemAnalysis> items = analysis();
  if (!items || blocked(reportBlocked))
    return;
  const Exam &exam = model_.selectedDocument()->exam;
  saveFile(destination, [&] { return Reports::itemAnalysisPDF(exam, *items, Date::now()); });
}

void ExportActions::exportAnswerKeys(const fs::path &destination) {
  if (const ExamDocument *doc = model_.selectedDocument())
    saveFile(destination, [doc] { return Exports::answerKeys(*doc); });
}

void ExportActions::exportScores(bool includeAnswers) {
  if (auto destination = model_.chooseSaveFile(panel(AppModel::Export::scores)))
    exportScores(*destination, includeAnswers);
}

void ExportActions::exportSlips(SlipLayout layout) {
  if (auto destination = model_.chooseSaveFile(panel(AppModel::Export::slips)))
    exportSlips(*destination, layout);
}

void ExportActions::exportReport() {
  if (auto destination = model_.chooseSaveFile(panel(AppModel::Export::report)))
    exportReport(*destination);
}

void ExportActions::exportAnswerKeys() {
  if (auto destination = model_.chooseSaveFile(panel(AppModel::Export::answerKeys)))
    exportAnswerKeys(*destination);
}

bool ExportActions::saveFile(const fs::path &destination,
                             const std::function<std::optional<Bytes>()> &make) {
  std::optional<Bytes> bytes = make();
  if (!bytes) {
    model_.showMessage("The file couldn\u2019t be made", "Please try again.");
    return false;
  }
  if (auto written = FileIO::writeAtomically(destination, *bytes); !written) {
    model_.showMessage("The file couldn\u2019t be saved", written.error());
    return false;
  }
  return true;
}

// The AppModel operations this object carries out.

bool AppModel::saveFile(const fs::path &destination,
                        const std::function<std::optional<Bytes>()> &make) {
  return exports_->saveFile(destination, make);
}

std::optional<ItemAnalysis> AppModel::analysis() {
  return exports_->analysis();
}

std::optional<std::string> AppModel::exportBlocker() const {
  return exports_->blocker();
}

std::optional<AppModel::SavePanel> AppModel::exportPanel(Export kind) {
  return exports_->panel(kind);
}

void AppModel::exportScores(const fs::path &destination, bool includeAnswers) {
  exports_->exportScores(destination, includeAnswers);
}

void AppModel::exportSlips(const fs::path &destination, SlipLayout layout) {
  exports_->exportSlips(destination, layout);
}

void AppModel::exportReport(const fs::path &destination) {
  exports_->exportReport(destination);
}

void AppModel::exportAnswerKeys(const fs::path &destination) {
  exports_->exportAnswerKeys(destination);
}

void AppModel::exportScores(bool includeAnswers) {
  exports_->exportScores(includeAnswers);
}

void AppModel::exportSlips(SlipLayout layout) {
  exports_->exportSlips(layout);
}

void AppModel::exportReport() {
  exports_->exportReport();
}

void AppModel::exportAnswerKeys() {
  exports_->exportAnswerKeys();
}

} // namespace ovalon
