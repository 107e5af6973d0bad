#pragma once

#include <optional>
#include <string_view>

namespace ovalon {

// Which corner finder located a page's corner squares.
enum class CornerMethod { vision, blobs };

namespace CornerMethodInfo {
constexpr std::string_view rawValue(CornerMethod method) {
  return method == CornerMethod::vision ? "vision" : "blobs";
}
constexpr std::optional<CornerMethod> fromRawValue(std::string_view raw) {
  if (raw == "vision")
    return CornerMethod::vision;
  if (raw == "blobs")
    return CornerMethod::blobs;
  return std::nullopt;
}
} // namespace CornerMethodInfo

} // namespace ovalon
