#pragma once

#include "model/Paper.h"

#include <string>

namespace ovalon {

// The four values that place every mark on a printed page. Sheets with equal
// signatures are read with the same geometry.
struct LayoutSignature {
  int questionCount = 20;
  int choiceCount = 4;
  int idDigits = 6;
  Paper paper = Paper::letter;

  // "20 questions, A–D, 6-digit ID, US Letter"
  std::string summary() const;

  bool operator==(const LayoutSignature &) const = default;
};

} // namespace ovalon
