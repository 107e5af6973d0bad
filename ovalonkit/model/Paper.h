#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace ovalon {

// Page size of a printed sheet.
enum class Paper { letter, a4 };

namespace PaperInfo {
inline constexpr std::array<Paper, 2> allCases{Paper::letter, Paper::a4};

// Stored form: "letter", "a4".
constexpr std::string_view rawValue(Paper paper) {
  return paper == Paper::letter ? "letter" : "a4";
}

// What people see: "US Letter", "A4".
constexpr std::string_view title(Paper paper) {
  return paper == Paper::letter ? "US Letter" : "A4";
}

constexpr std::optional<Paper> fromRawValue(std::string_view raw) {
  for (Paper paper : allCases)
    if (rawValue(paper) == raw)
      return paper;
  return std::nullopt;
}
} // namespace PaperInfo

} // namespace ovalon
