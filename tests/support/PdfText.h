#pragma once

#include "model/Bytes.h"

#include <string>
#include <vector>

namespace ovalon::testing {

// The text poppler extracts from page `index` (0-based), one entry per non-empty line with
// runs of white space between words reduced to one space and none at either end.
std::vector<std::string> pdfPageLines(const Bytes &pdf, int index);

// Whether `lines` holds `line` exactly.
bool hasLine(const std::vector<std::string> &lines, const std::string &line);

// Whether any of `lines` contains `part`.
bool mentions(const std::vector<std::string> &lines, const std::string &part);

} // namespace ovalon::testing
