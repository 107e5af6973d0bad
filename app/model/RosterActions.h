#pragma once

#include "model/RosterRow.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ovalon {

class AppModel;

// The selected test's class list: imported from a CSV file, or cleared. Either way
// every sheet's student-ID flags are brought up to date with it.
class RosterActions {
public:
  explicit RosterActions(AppModel &model) : model_(model) {}

  void importRoster(const std::filesystem::path &path, const std::string &idColumn);
  static std::vector<std::string> columns(const std::filesystem::path &path);
  void importRoster();
  std::vector<RosterRow> rows() const;
  // Asks first: the students go, and so do the flags that came from them.
  void clearRoster();

private:
  // The ID column to import `path` with: empty to let the headings tell, the teacher's
  // pick when they don't, nothing when the teacher cancels.
  std::optional<std::string> idColumn(const std::filesystem::path &path);

  AppModel &model_;
};

} // namespace ovalon
