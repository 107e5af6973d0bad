#pragma once

#include "model/Panels.h"
#include "sheets/SheetJob.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace ovalon {

class AppModel;

// Answer sheets of the selected test, as the print tab's settings ask for them:
// printed, or saved as a PDF, and the sheet to bubble as the key.
class PrintActions {
public:
  explicit PrintActions(AppModel &model) : model_(model) {}

  std::vector<PrintPage> printPages() const;
  std::optional<SavePanel> sheetsPanel() const;
  void saveSheetsPDF(const std::filesystem::path &destination);
  void saveSheetsPDF();
  std::optional<SavePanel> answerKeySheetPanel() const;
  void saveAnswerKeySheet(const std::filesystem::path &destination);
  void saveAnswerKeySheet();
  void printSheets();

private:
  // The sheets the settings ask for: blank copies, one per roster student, or one per
  // student with the versions dealt in turn.
  std::vector<SheetJob> jobs() const;
  bool dealsVersions() const;

  AppModel &model_;
};

} // namespace ovalon
