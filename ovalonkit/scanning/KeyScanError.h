#pragma once

#include "scanning/PageProblem.h"

#include <optional>
#include <string>

namespace ovalon {

// Why no answer key came out of a scan.
struct KeyScanError {
  std::optional<PageProblem> problem; // the first page's, when it had one

  std::string description() const {
    if (!problem)
      return "The scan has no answer sheet for this test.";
    return "The answer key couldn\u2019t be read. " + problem->title() + ": " + problem->detail();
  }

  bool operator==(const KeyScanError &) const = default;
};

} // namespace ovalon
