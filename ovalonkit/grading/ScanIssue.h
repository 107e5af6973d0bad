#pragma once

#include "model/Uuid.h"
#include "scanning/PageProblem.h"

#include <optional>
#include <string>

namespace ovalon {

// One scanned page that could not be used.
struct ScanIssue {
  Uuid id;
  std::string source;
  int sourcePage = 1; // 1-based within the source
  std::optional<PageProblem> problem;
  std::optional<int> orphanPage; // printed page number of a continuation page without a sheet
  std::optional<Uuid> image;
  bool dismissed = false;
  std::optional<std::string> sourceDigest = std::nullopt; // of the scanned file, as on ScannedSheet

  // What the issue list shows: the page's problem, or the orphan page's.
  std::string title() const {
    if (problem)
      return problem->title();
    return "Page " + std::to_string(orphanPage.value_or(0)) + " without page 1";
  }
  std::string detail() const {
    if (problem)
      return problem->detail();
    return "Its first page wasn't just before it in the scan. Scan both pages of each sheet in "
           "order.";
  }

  bool operator==(const ScanIssue &) const = default;
};

} // namespace ovalon
