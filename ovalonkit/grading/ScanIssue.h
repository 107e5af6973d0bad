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

  bool operator==(const ScanIssue &) const = default;
};

} // namespace ovalon
