#pragma once

#include "model/Panels.h"
#include "workflow/GradingRun.h"
#include "workflow/ScanSource.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ovalon {

class AppModel;

// Bringing paper in: grading runs of chosen, dropped or photographed scans, and
// the sample class. Each run reads on the job runner and is stored in one update.
class GradingActions {
public:
  explicit GradingActions(AppModel &model) : model_(model) {}

  static const std::vector<std::string> &droppableExtensions();
  static SavePanel sampleScanPanel();

  void grade(std::vector<ScanSource> sources);
  bool gradeDroppedFiles(const std::vector<std::filesystem::path> &paths);
  void importPhotos(const std::vector<std::filesystem::path> &paths);
  void gradeScans();
  void importPhotos();
  void trySampleClass();
  void saveSampleScan(const std::filesystem::path &destination);
  void saveSampleScan();

private:
  // A run of the sources against one test; a temporary folder goes once they are read.
  // Photos are decoded in the run and read last, as one source.
  bool startGrading(const Uuid &examID, std::vector<ScanSource> sources,
                    std::optional<std::filesystem::path> temporaryFolder = std::nullopt,
                    std::vector<std::filesystem::path> photos = {});
  void finishGrading(const Uuid &examID, const GradingRun::Reading &reading);
  void makeSampleScan(const Uuid &sampleID);

  AppModel &model_;
};

} // namespace ovalon
