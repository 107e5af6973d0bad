#pragma once

#include <filesystem>
#include <vector>

namespace ovalon {

class AppModel;

// The selected test's class list: imported from a CSV file, every sheet's
// student-ID flags brought up to date with it.
class RosterActions {
public:
  explicit RosterActions(AppModel &model) : model_(model) {}

  void importRoster(const std::filesystem::path &path);
  void importRoster();

private:
  AppModel &model_;
};

} // namespace ovalon
