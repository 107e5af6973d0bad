#include "scanning/NameReader.h"

#include "model/LayoutSignature.h"
#include "scanning/TextRecognizer.h"
#include "sheets/SheetLayout.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ovalon::NameReader {

namespace {

constexpr double boxLeft = 84;
constexpr double boxTop = 80;
constexpr double boxHeight = 30;
constexpr double minimumBoxWidth = 40;
constexpr uint8_t inkLevel = 140;
constexpr int candidatesPerRegion = 3;
// Pixels per point the name is recognised at. Handwriting reads about as well here as at the
// sheet frame's 2.5 (of 300 simulated names, within five as many read exactly and more
// found among the alternatives), and the recogniser takes an eighth less time.
constexpr double readingScale = 1.75;

// The paper whose width is nearest: the reader is handed a width, the layout wants a paper.
Paper paperOfWidth(double width) {
  return std::abs(width - 612) <= std::abs(width - 595.28) ? Paper::letter : Paper::a4;
}

// The baseline printed across the bottom of the box is not writing, so the bottom quarter is
// left out; a few stray dark pixels (dust, a speck) are not writing either.
bool holdsWriting(const GrayImage &box) {
  if (box.width < 5 || box.height < 5)
    return false;
  const int64_t rows = static_cast<int64_t>(std::floor(0.75 * static_cast<double>(box.height)));
  int64_t count = 0;
  for (int64_t y = 0; y < rows; ++y)
    for (int64_t x = 0; x < box.width; ++x)
      if (box.at(x, y) < inkLevel)
        ++count;
  const int64_t n = box.width * rows;
  const int64_t limit = n >= 24'000 ? n / 2000 : 12;
  return count > limit;
}

bool kept(UChar32 c) {
  return u_isalpha(c) || u_isdigit(c) || c == '\'' || c == '-' || c == '.' || c == ',';
}

bool trimmed(char c) {
  return c == '.' || c == ',' || c == '-' || c == '\'' || c == ' ';
}

std::string joined(const std::vector<std::string> &words) {
  std::string text;
  for (const std::string &word : words) {
    if (!text.empty())
      text += ' ';
    text += word;
  }
  return text;
}

// One region's usable readings, best first, with the confidence of the best.
struct Region {
  std::vector<std::string> words;
  double confidence = 0;
};

} // namespace

Rect nameBox(const SheetLayout &layout) {
  return {boxLeft, boxTop, std::max(minimumBoxWidth, layout.headerRight() - boxLeft), boxHeight};
}

std::string cleaned(std::string_view candidate) {
  std::string spaced;
  const auto length = static_cast<int32_t>(candidate.size());
  for (int32_t i = 0; i < length;) {
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(candidate.data(), i, length, c);
    if (c >= 0 && kept(c))
      spaced.append(candidate.substr(static_cast<size_t>(start), static_cast<size_t>(i - start)));
    else
      spaced += ' ';
  }
  std::vector<std::string> words;
  size_t at = 0;
  while (at < spaced.size()) {
    const size_t end = std::min(spaced.find(' ', at), spaced.size());
    if (end > at)
      words.push_back(spaced.substr(at, end - at));
    at = end + 1;
  }
  std::string text = joined(words);
  const auto first = std::find_if_not(text.begin(), text.end(), trimmed);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), trimmed).base();
  return first < last ? std::string(first, last) : std::string();
}

std::optional<NameRead> readName(const GrayImage &straightened, double paperWidth, int idDigits) {
  LayoutSignature signature;
  signature.idDigits = idDigits;
  signature.paper = paperOfWidth(paperWidth);
  SheetLayout layout(signature);
  layout.pageSize.width = paperWidth;

  const GrayImage box =
      straightened.cropped(layout.toImage(nameBox(layout), GrayImage::sheetFrameScale));
  if (!holdsWriting(box))
    return std::nullopt;

  const auto side =
      static_cast<int64_t>(std::lround(static_cast<double>(std::max(box.width, box.height)) *
                                       readingScale / GrayImage::sheetFrameScale));
  // The recogniser gives its words in reading order, left to right.
  const auto observations = TextRecognizer::recognize(box.downscaled(side), TextOptions{0.2});
  if (!observations)
    return std::nullopt;

  std::vector<Region> regions;
  for (const TextObservation &observation : *observations) {
    Region region;
    const auto count = std::min<size_t>(observation.topCandidates.size(), candidatesPerRegion);
    for (size_t i = 0; i < count; ++i) {
      std::string word = cleaned(observation.topCandidates[i].string);
      if (word.empty())
        continue;
      if (region.words.empty())
        region.confidence = observation.topCandidates[i].confidence;
      region.words.push_back(std::move(word));
    }
    if (!region.words.empty())
      regions.push_back(std::move(region));
  }
  if (regions.empty())
    return std::nullopt;

  NameRead read;
  std::vector<std::string> best;
  double confidence = 0;
  for (const Region &region : regions) {
    best.push_back(region.words.front());
    confidence += region.confidence;
  }
  read.text = joined(best);
  read.confidence = confidence / static_cast<double>(regions.size());
  for (size_t r = 0; r < regions.size(); ++r)
    for (size_t c = 1; c < regions[r].words.size(); ++c) {
      std::vector<std::string> words = best;
      words[r] = regions[r].words[c];
      read.alternatives.push_back(joined(words));
    }
  return read;
}

} // namespace ovalon::NameReader
