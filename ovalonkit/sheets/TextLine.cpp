#include "sheets/TextLine.h"

#include "sheets/PangoLine.h"

#include <vector>

namespace ovalon {

namespace {

constexpr std::string_view ellipsis = "…";

// Byte offsets where a cut keeps whole UTF-8 characters, in increasing order.
std::vector<std::size_t> cutPoints(std::string_view text) {
  std::vector<std::size_t> cuts;
  for (std::size_t i = 1; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
      cuts.push_back(i);
  return cuts;
}

} // namespace

double TextLine::width() const {
  return PangoLine(text, font).width();
}

TextLine TextLine::truncated(double maxWidth) const {
  if (width() <= maxWidth)
    return *this;
  auto fits = [&](std::size_t length) {
    std::string candidate = text.substr(0, length) + std::string(ellipsis);
    return PangoLine(candidate, font).width() <= maxWidth;
  };
  if (!fits(0))
    return {"", font, gray};
  // The widest prefix that fits; widths grow with the prefix, so bisect.
  std::vector<std::size_t> cuts = cutPoints(text);
  std::size_t low = 0, high = cuts.size(); // cuts[0…low) fit
  while (low < high) {
    std::size_t mid = (low + high) / 2;
    if (fits(cuts[mid]))
      low = mid + 1;
    else
      high = mid;
  }
  std::size_t length = low == 0 ? 0 : cuts[low - 1];
  return {text.substr(0, length) + std::string(ellipsis), font, gray};
}

} // namespace ovalon
