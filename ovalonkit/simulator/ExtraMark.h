#pragma once

#include "simulator/PencilMark.h"

namespace ovalon {

// A mark on a simulated sheet besides its answers, such as a second bubble in one row.
struct ExtraMark {
  int position = 0; // printed question position, 0-based
  int choice = 0;   // printed bubble slot
  PencilMark style = PencilMark::solid;

  bool operator==(const ExtraMark &) const = default;
};

} // namespace ovalon
