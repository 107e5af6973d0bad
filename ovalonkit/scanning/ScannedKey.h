#pragma once

#include "model/Bytes.h"
#include "model/Uuid.h"
#include "scanning/KeyRead.h"

#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// A proposed answer key read from a scan, waiting for the teacher's check.
struct ScannedKey {
  Uuid id;
  std::string source;
  std::vector<int> sourcePages;
  int version = 0;
  std::vector<KeyRead> answers; // one per master question
  std::vector<int> missingPages;
  int extraSheets = 0;
  std::optional<Bytes> preview; // JPEG

  bool operator==(const ScannedKey &) const = default;
};

} // namespace ovalon
