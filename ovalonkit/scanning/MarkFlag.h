#pragma once

#include <optional>
#include <string_view>

namespace ovalon {

// Why a bubble row has no clean single answer.
enum class MarkFlag { blank, double_, faint };

namespace MarkFlagInfo {
constexpr std::string_view rawValue(MarkFlag flag) {
  switch (flag) {
  case MarkFlag::blank:
    return "blank";
  case MarkFlag::double_:
    return "double";
  case MarkFlag::faint:
    return "faint";
  }
  return "blank";
}
constexpr std::optional<MarkFlag> fromRawValue(std::string_view raw) {
  for (MarkFlag flag : {MarkFlag::blank, MarkFlag::double_, MarkFlag::faint})
    if (rawValue(flag) == raw)
      return flag;
  return std::nullopt;
}
} // namespace MarkFlagInfo

} // namespace ovalon
