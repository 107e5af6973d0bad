#pragma once

#include "model/Student.h"

namespace ovalon {

// A roster student suggested for a handwritten name.
struct NameMatch {
  // `likely` only for a clear winner; everything else worth showing is `possible`.
  enum class Strength { likely, possible };

  Student student;
  double score = 0; // 0…1
  Strength strength = Strength::possible;

  bool operator==(const NameMatch &) const = default;
};

} // namespace ovalon
