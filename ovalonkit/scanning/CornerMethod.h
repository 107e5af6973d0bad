#pragma once

#include <optional>
#include <string_view>

namespace ovalon {

// How a page's corner squares were located: by the rectangle detector, by
// segmenting dark regions, or with one square missing, placed from the other
// three and the identity symbol.
enum class CornerMethod { vision, blobs, threeCorners };

namespace CornerMethodInfo {
constexpr std::string_view rawValue(CornerMethod method) {
  switch (method) {
  case CornerMethod::vision:
    return "vision";
  case CornerMethod::blobs:
    return "blobs";
  case CornerMethod::threeCorners:
    return "threeCorners";
  }
  return "vision";
}
constexpr std::optional<CornerMethod> fromRawValue(std::string_view raw) {
  for (CornerMethod method :
       {CornerMethod::vision, CornerMethod::blobs, CornerMethod::threeCorners})
    if (raw == rawValue(method))
      return method;
  return std::nullopt;
}
} // namespace CornerMethodInfo

} // namespace ovalon
