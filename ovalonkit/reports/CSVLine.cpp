#include "reports/CSVLine.h"

#include <string_view>

namespace ovalon::CSV {

namespace {

size_t skipDigits(std::string_view text, size_t i) {
  while (i < text.size() && text[i] >= '0' && text[i] <= '9')
    ++i;
  return i;
}

// Decimal floating-point syntax only (-2, +1.5e3, .5): no spaces, no hexadecimal, no inf or
// nan, nothing after the number.
bool readsAsNumber(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    ++i;
  const size_t integerStart = i;
  i = skipDigits(text, i);
  size_t digits = i - integerStart;
  if (i < text.size() && text[i] == '.') {
    const size_t fractionStart = ++i;
    i = skipDigits(text, i);
    digits += i - fractionStart;
  }
  if (digits == 0)
    return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
      ++i;
    const size_t exponentStart = i;
    i = skipDigits(text, i);
    if (i == exponentStart)
      return false;
  }
  return i == text.size();
}

std::string escaped(std::string cell) {
  // Spreadsheets run a cell starting with one of these as a formula; a number is safe.
  if (!cell.empty() && std::string_view("=+-@").find(cell.front()) != std::string_view::npos &&
      !readsAsNumber(cell))
    cell.insert(cell.begin(), '\'');
  const bool quote = cell.find_first_of(",\"\n\r") != std::string::npos ||
                     (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
  if (!quote)
    return cell;
  std::string quoted = "\"";
  for (char c : cell) {
    if (c == '"')
      quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

} // namespace

std::string line(const std::vector<std::string> &cells) {
  std::string text;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0)
      text += ',';
    text += escaped(cells[i]);
  }
  return text;
}

} // namespace ovalon::CSV
