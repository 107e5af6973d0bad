#pragma once

#include "scanning/MarkFlag.h"

#include <array>
#include <optional>
#include <string_view>

namespace ovalon {

// What a review flag is about. The first three follow MarkFlag case for case; `unaligned`
// is MarkFlag's too, added last so stored flags keep their meaning.
enum class FlagKind { blank, double_, faint, studentID, missingPage, unaligned };

namespace FlagKindInfo {
inline constexpr std::array<FlagKind, 6> allCases{FlagKind::blank,       FlagKind::double_,
                                                  FlagKind::faint,       FlagKind::studentID,
                                                  FlagKind::missingPage, FlagKind::unaligned};
constexpr std::string_view rawValue(FlagKind kind) {
  constexpr std::array<std::string_view, 6> raw{"blank",     "double",      "faint",
                                                "studentID", "missingPage", "unaligned"};
  return raw[static_cast<size_t>(kind)];
}
constexpr std::string_view title(FlagKind kind) {
  constexpr std::array<std::string_view, 6> titles{"Blank",      "Two marks",    "Faint mark",
                                                   "Student ID", "Missing page", "Not lined up"};
  return titles[static_cast<size_t>(kind)];
}
constexpr std::optional<FlagKind> fromRawValue(std::string_view raw) {
  for (FlagKind kind : allCases)
    if (rawValue(kind) == raw)
      return kind;
  return std::nullopt;
}
constexpr FlagKind from(MarkFlag flag) {
  return flag == MarkFlag::unaligned ? FlagKind::unaligned
                                     : static_cast<FlagKind>(static_cast<int>(flag));
}
} // namespace FlagKindInfo

} // namespace ovalon
