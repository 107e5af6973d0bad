#pragma once

#include <cstdint>
#include <vector>

namespace ovalon {

// Raw file contents: encoded images, CSV files, PDFs.
using Bytes = std::vector<uint8_t>;

} // namespace ovalon
