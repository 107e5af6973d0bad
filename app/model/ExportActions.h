#pragma once

#include "model/AppModel.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace ovalon {

// Results of the selected test and the files that take them out: the item
// analysis (computed once per edit), the readiness rule and the four exports.
class ExportActions {
public:
  explicit ExportActions(AppModel &model) : model_(model) {}

  std::optional<ItemAnalysis> analysis();
  std::optional<std::string> blocker() const;
  std::optional<SavePanel> panel(AppModel::Export kind);
  void exportScores(const std::filesystem::path &destination, bool includeAnswers);
  void exportSlips(const std::filesystem::path &destination, SlipLayout layout);
  void exportReport(const std::filesystem::path &destination);
  void exportAnswerKeys(const std::filesystem::path &destination);
  void exportScores(bool includeAnswers);
  void exportSlips(SlipLayout layout);
  void exportReport();
  void exportAnswerKeys();

  // The one save path of every written file: makes the bytes, writes them
  // atomically, and says what went wrong. True when written.
  bool saveFile(const std::filesystem::path &destination,
                const std::function<std::optional<Bytes>()> &make);

private:
  bool blocked(const std::string &title);

  struct AnalysisCache {
    Uuid examID;
    Date modified;
    size_t sheets = 0;
    ItemAnalysis analysis;
  };

  AppModel &model_;
  std::optional<AnalysisCache> analysisCache_;
};

} // namespace ovalon
