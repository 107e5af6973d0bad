#include "model/PrintActions.h"

#include "model/AppModel.h"
#include "model/Choices.h"
#include "sheets/SheetPDF.h"
#include "workflow/Exports.h"

#include <algorithm>

namespace ovalon {

namespace fs = std::filesystem;

namespace {

// One pre-filled sheet per roster student, by name.
std::vector<SheetFill> rosterFills(const Roster &roster) {
  std::vector<SheetFill> fills;
  for (const Student &student : roster.sorted())
    fills.push_back({student.name(), student.id, false});
  return fills;
}

} // namespace

std::vector<PrintPage> PrintActions::printPages() const {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return {};
  std::vector<std::optional<SheetFill>> sheets;
  if (model_.printForRoster() && !doc->roster.students.empty())
    for (SheetFill &fill : rosterFills(doc->roster))
      sheets.emplace_back(std::move(fill));
  else
    sheets.resize(static_cast<size_t>(std::max(1, model_.printCopies())));
  std::vector<PrintPage> pages;
  for (const std::optional<SheetFill> &fill : sheets)
    for (int page = 1; page <= doc->exam.pageCount(); ++page)
      pages.push_back({model_.printVersion(), page, fill});
  return pages;
}

std::optional<SavePanel> PrintActions::sheetsPanel() const {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return std::nullopt;
  return SavePanel{Exports::suggestedFileName(doc->exam.title + " Version " +
                                                  Choices::letter(model_.printVersion()) +
                                                  " Sheets",
                                              "pdf"),
                   "Save the answer sheets as a PDF."};
}

void PrintActions::saveSheetsPDF(const fs::path &destination) {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return;
  SheetJob job{model_.printVersion(), model_.printCopies(),
               model_.printForRoster() ? rosterFills(doc->roster) : std::vector<SheetFill>{}};
  model_.saveFile(destination, [&] { return SheetPDF::make(doc->exam, {job}); });
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
