#include "model/PrintActions.h"

#include "model/AppModel.h"
#include "model/Choices.h"
#include "sheets/SheetPDF.h"
#include "workflow/Exports.h"

#include <algorithm>

namespace ovalon {

namespace fs = std::filesystem;

std::vector<SheetJob> PrintActions::jobs() const {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return {};
  const Roster &roster = doc->roster;
  if (!model_.printForRoster() || roster.students.empty())
    return {SheetJob{model_.printVersion(), std::max(1, model_.printCopies()), {}}};
  if (dealsVersions())
    return SheetJob::dealt(roster, static_cast<int>(doc->exam.versions.size()));
  return {SheetJob::classSet(roster, model_.printVersion())};
}

bool PrintActions::dealsVersions() const {
  const ExamDocument *doc = model_.selectedDocument();
  return doc && model_.printForRoster() && model_.printDealsVersions() &&
         !doc->roster.students.empty() && doc->exam.versions.size() > 1;
}

std::vector<PrintPage> PrintActions::printPages() const {
  const ExamDocument *doc = model_.selectedDocument();
  std::vector<PrintPage> pages;
  for (const SheetJob &job : jobs()) {
    std::vector<std::optional<SheetFill>> sheets(job.students.begin(), job.students.end());
    if (sheets.empty())
      sheets.resize(static_cast<size_t>(job.copies));
    for (const std::optional<SheetFill> &fill : sheets)
      for (int page = 1; page <= doc->exam.pageCount(); ++page)
        pages.push_back({job.version, page, fill});
  }
  return pages;
}

std::optional<SavePanel> PrintActions::sheetsPanel() const {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return std::nullopt;
  std::string name = dealsVersions() ? doc->exam.title + " Sheets, Versions in Turn"
                                     : doc->exam.title + " Version " +
                                           Choices::letter(model_.printVersion()) + " Sheets";
  return SavePanel{Exports::suggestedFileName(name, "pdf"), "Save the answer sheets as a PDF."};
}

void PrintActions::saveSheetsPDF(const fs::path &destination) {
  if (const ExamDocument *doc = model_.selectedDocument())
    model_.saveFile(destination, [&] { return SheetPDF::make(doc->exam, jobs()); });
}

void PrintActions::saveSheetsPDF() {
  if (auto destination = model_.chooseSaveFile(sheetsPanel()))
    saveSheetsPDF(*destination);
}

void PrintActions::printSheets() {
  const ExamDocument *doc = model_.selectedDocument();
  if (doc && model_.panels_)
    model_.panels_->print({doc->exam, printPages()});
}

std::optional<SavePanel> PrintActions::answerKeySheetPanel() const {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return std::nullopt;
  return SavePanel{Exports::suggestedFileName(doc->exam.title + " Answer Key Sheet", "pdf"),
                   "Save a sheet to bubble as the answer key."};
}

void PrintActions::saveAnswerKeySheet(const fs::path &destination) {
  if (const ExamDocument *doc = model_.selectedDocument())
    model_.saveFile(destination, [doc] {
      return SheetPDF::make(doc->exam, {SheetJob{0, 1, {SheetFill::answerKey()}}});
    });
}

void PrintActions::saveAnswerKeySheet() {
  if (auto destination = model_.chooseSaveFile(answerKeySheetPanel()))
    saveAnswerKeySheet(*destination);
}

// The AppModel operations this object carries out.

std::vector<AppModel::PrintPage> AppModel::printPages() const {
  return printing_->printPages();
}

std::optional<AppModel::SavePanel> AppModel::sheetsPanel() const {
  return printing_->sheetsPanel();
}

void AppModel::saveSheetsPDF(const fs::path &destination) {
  printing_->saveSheetsPDF(destination);
}

void AppModel::saveSheetsPDF() {
  printing_->saveSheetsPDF();
}

std::optional<AppModel::SavePanel> AppModel::answerKeySheetPanel() const {
  return printing_->answerKeySheetPanel();
}

void AppModel::saveAnswerKeySheet(const fs::path &destination) {
  printing_->saveAnswerKeySheet(destination);
}

void AppModel::saveAnswerKeySheet() {
  printing_->saveAnswerKeySheet();
}

void AppModel::printSheets() {
  printing_->printSheets();
}

} // namespace ovalon
