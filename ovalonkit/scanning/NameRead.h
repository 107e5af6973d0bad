#pragma once

#include <string>
#include <vector>

namespace ovalon {

// The handwritten name as recognised from a sheet's name box.
struct NameRead {
  std::string text;                      // best reading, one word per text region
  std::vector<std::string> alternatives; // each differs from `text` in one word
  double confidence = 0;                 // mean recogniser confidence, 0…1

  bool operator==(const NameRead &) const = default;
};

} // namespace ovalon
