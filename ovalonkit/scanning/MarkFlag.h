#pragma once

#include <optional>
#include <string_view>

namespace ovalon {

// Why a bubble row has no clean single answer. `unaligned`: the row's printed bubbles
// couldn't be lined up on the scan (a bent or folded page), so its marks weren't taken.
enum class MarkFlag { blank, double_, faint, unaligned };

namespace MarkFlagInfo {
constexpr std::string_view rawValue(MarkFlag flag) {
  switch (flag) {
  case MarkFlag::blank:
    return "blank";
  case MarkFlag::double_:
    return "double";
  case MarkFlag::faint:
    return "faint";
  case MarkFlag::unaligned:
    return "unaligned";
  }
  return "blank";
}
constexpr std::optional<MarkFlag> fromRawValue(std::string_view raw) {
  for (MarkFlag flag : {MarkFlag::blank, MarkFlag::double_, MarkFlag::faint, MarkFlag::unaligned})
    if (rawValue(flag) == raw)
      return flag;
  return std::nullopt;
}
} // namespace MarkFlagInfo

} // namespace ovalon
