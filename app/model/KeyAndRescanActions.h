#pragma once

#include "model/Panels.h"
#include "model/Uuid.h"
#include "workflow/GradingRun.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace ovalon {

class AppModel;

// The two ways one file is read against what the test already has: a bubbled
// answer key, checked before it replaces the typed key, and the rescan of one
// sheet, which replaces that sheet and leaves the class as graded.
class KeyAndRescanActions {
public:
  explicit KeyAndRescanActions(AppModel &model) : model_(model) {}

  static OpenPanel answerKeyPanel();
  void scanAnswerKey(const std::filesystem::path &path);
  void scanAnswerKey();
  void applyKey(const std::vector<std::optional<int>> &answers, const Uuid &examID);

  std::optional<OpenPanel> rescanPanel(const Uuid &sheetID) const;
  void rescanSheet(const Uuid &sheetID, const std::filesystem::path &path);
  void rescanSheet(const Uuid &sheetID);

private:
  // Reads one file against the selected test on the job runner.
  bool read(const std::filesystem::path &path, std::string title,
            std::function<void(const Uuid &examID, GradingRun::Reading)> finish);
  void finishKey(const Uuid &examID, const GradingRun::Reading &reading);
  void finishRescan(const Uuid &examID, const Uuid &sheetID, const GradingRun::Reading &reading);

  AppModel &model_;
};

} // namespace ovalon
