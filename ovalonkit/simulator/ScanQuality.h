#pragma once

#include <optional>
#include <string_view>

namespace ovalon {

// How roughly a simulated class goes through the scanner.
enum class ScanQuality {
  none,  // every page straight and clean
  mild,  // slightly tilted, sheared, shifted and noisy, as a good sheet feeder delivers them
  harsh, // tilted by a few degrees, dusty, grey paper, now and then a sheet upside down
};

namespace ScanQualityInfo {

std::string_view rawValue(ScanQuality quality);
std::optional<ScanQuality> fromRawValue(std::string_view text);

} // namespace ScanQualityInfo

} // namespace ovalon
