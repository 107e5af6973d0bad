#pragma once

#include "model/Bytes.h"
#include "scanning/MarkRead.h"

#include <optional>

namespace ovalon {

// One master question as read from a bubbled answer-key sheet.
struct KeyRead {
  int question = 0;              // master question
  int position = 0;              // printed position on the scanned version
  MarkRead mark;                 // printed choice order
  std::optional<int> choice;     // master choice of a clean mark
  std::optional<int> suggestion; // master choice of the strongest bubble
  std::optional<Bytes> crop;     // PNG of a flagged row
  bool missing = false;          // the row's page wasn't in the scan

  bool operator==(const KeyRead &) const = default;
};

} // namespace ovalon
