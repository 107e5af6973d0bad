#pragma once

#include "scanning/MarkRead.h"

namespace ovalon {

// One question row of a page, at its printed position across all pages.
struct QuestionRead {
  int position = 0;
  MarkRead mark;

  bool operator==(const QuestionRead &) const = default;
};

} // namespace ovalon
