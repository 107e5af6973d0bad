#pragma once

#include <string>
#include <vector>

// Writing CSV for spreadsheets; reading lives in model/CSV.h.
namespace ovalon::CSV {

// One line of comma-separated cells without a line end. A cell that a spreadsheet would
// take for a formula (starting with = + - @ and not a plain number) gets an apostrophe in
// front; cells with a comma, double quote or line break, or with a space at either end, are
// enclosed in double quotes with inner quotes doubled.
std::string line(const std::vector<std::string> &cells);

} // namespace ovalon::CSV
