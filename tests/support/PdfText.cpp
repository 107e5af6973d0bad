#include "support/PdfText.h"

#include "support/RenderedPage.h"

#include <algorithm>
#include <sstream>

namespace ovalon::testing {

std::vector<std::string> pdfPageLines(const Bytes &pdf, int index) {
  std::istringstream text(pdfPageText(pdf, index));
  std::vector<std::string> lines;
  for (std::string raw; std::getline(text, raw);) {
    std::istringstream words(raw);
    std::string line;
    for (std::string word; words >> word;)
      line += (line.empty() ? "" : " ") + word;
    if (!line.empty())
      lines.push_back(line);
  }
  return lines;
}

bool hasLine(const std::vector<std::string> &lines, const std::string &line) {
  return std::ranges::find(lines, line) != lines.end();
}

bool mentions(const std::vector<std::string> &lines, const std::string &part) {
  return std::ranges::any_of(lines, [&](const std::string &line) { return line.contains(part); });
}

} // namespace ovalon::testing
