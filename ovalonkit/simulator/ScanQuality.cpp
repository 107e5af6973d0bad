#include "simulator/ScanQuality.h"

namespace ovalon::ScanQualityInfo {

std::string_view rawValue(ScanQuality quality) {
  switch (quality) {
  case ScanQuality::none:
    return "none";
  case ScanQuality::mild:
    return "mild";
  case ScanQuality::harsh:
    return "harsh";
  }
  return "mild";
}

std::optional<ScanQuality> fromRawValue(std::string_view text) {
  for (ScanQuality quality : {ScanQuality::none, ScanQuality::mild, ScanQuality::harsh})
    if (rawValue(quality) == text)
      return quality;
  return std::nullopt;
}

} // namespace ovalon::ScanQualityInfo
