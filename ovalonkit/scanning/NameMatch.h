#pragma once

#include "model/Student.h"

#include <optional>
#include <string_view>

namespace ovalon {

// A roster student suggested for a handwritten name.
struct NameMatch {
  // `likely` only for a clear winner; everything else worth showing is `possible`.
  enum class Strength { likely, possible };

  Student student;
  double score = 0; // 0…1
  Strength strength = Strength::possible;

  static constexpr std::string_view rawValue(Strength strength) {
    return strength == Strength::likely ? "likely" : "possible";
  }
  static constexpr std::optional<Strength> fromRawValue(std::string_view raw) {
    if (raw == "likely")
      return Strength::likely;
    if (raw == "possible")
      return Strength::possible;
    return std::nullopt;
  }

  bool operator==(const NameMatch &) const = default;
};

} // namespace ovalon
