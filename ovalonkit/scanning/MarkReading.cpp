#include "scanning/MarkReading.h"

#include "scanning/PaperLevel.h"
#include "sheets/SheetLayout.h"

#include <algorithm>
#include <numeric>

namespace ovalon::MarkReading {

namespace {

// Bubble indices by fill, darkest first; equal fills keep the lower index first.
std::vector<int> byFillDescending(std::span<const double> fills) {
  std::vector<int> order(fills.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return fills[static_cast<size_t>(a)] > fills[static_cast<size_t>(b)];
  });
  return order;
}

} // namespace

double sample(const GrayImage &straightened, Point centre, BubbleKind kind) {
  constexpr double inset = SheetLayout::cornerInset, scale = GrayImage::sheetFrameScale;
  return straightened.darkness((centre.x - inset) * scale, (centre.y - inset) * scale,
                               kind == BubbleKind::answer ? answerSampleRadius : idSampleRadius);
}

std::vector<double> sampleAgainstPaper(const GrayImage &straightened,
                                       std::span<const Bubble> bubbles) {
  constexpr double inset = SheetLayout::cornerInset, scale = GrayImage::sheetFrameScale;
  // The paper is looked at from just outside the printed outline to short of the
  // neighbouring bubbles' outlines.
  auto outline = [](BubbleKind kind) {
    return (kind == BubbleKind::answer ? SheetLayout::bubbleRadius : SheetLayout::idBubbleRadius) *
           scale;
  };
  auto reach = [&](BubbleKind kind) {
    return outline(kind) + (kind == BubbleKind::answer ? 6.5 : 5.5);
  };
  std::vector<PaperAround> papers;
  papers.reserve(bubbles.size());
  for (const Bubble &bubble : bubbles)
    papers.push_back(PaperLevel::around(straightened, (bubble.centre.x - inset) * scale,
                                        (bubble.centre.y - inset) * scale, outline(bubble.kind),
                                        reach(bubble.kind)));
  const double lit = PaperLevel::lit(papers);
  std::vector<double> raw;
  raw.reserve(bubbles.size());
  for (size_t i = 0; i < bubbles.size(); ++i) {
    const Bubble &bubble = bubbles[i];
    raw.push_back(PaperLevel::darkness(
        straightened, (bubble.centre.x - inset) * scale, (bubble.centre.y - inset) * scale,
        bubble.kind == BubbleKind::answer ? answerSampleRadius : idSampleRadius, papers[i], lit));
  }
  return raw;
}

Calibration calibrate(std::span<const double> raw) {
  if (raw.empty())
    return {};
  std::vector<double> sorted(raw.begin(), raw.end());
  std::sort(sorted.begin(), sorted.end());
  const size_t n = sorted.size();
  // Most bubbles on a sheet are empty: the 30th percentile is the paper.
  const double paper = sorted[std::min(n - 1, static_cast<size_t>(0.3 * static_cast<double>(n)))];
  const auto firstDark = std::lower_bound(sorted.begin(), sorted.end(), paper + 0.22);
  const auto darkCount = static_cast<size_t>(sorted.end() - firstDark);
  // The upper median of the clearly dark bubbles is the pencil.
  double ink = darkCount < 2 ? paper + 0.6 : *(firstDark + static_cast<ptrdiff_t>(darkCount / 2));
  if (ink <= paper + 0.3)
    ink = paper + 0.3;
  return {paper, std::min(ink, 1.0)};
}

std::vector<double> normalize(const Calibration &levels, std::span<const double> raw) {
  const double span = std::max(0.05, levels.ink - levels.paper);
  std::vector<double> fills;
  fills.reserve(raw.size());
  for (double value : raw) {
    const double fill = (value - levels.paper) / span;
    fills.push_back(fill <= 0 ? 0.0 : std::min(fill, 1.5));
  }
  return fills;
}

MarkRead classify(std::span<const double> fills, const MarkThresholds &thresholds) {
  MarkRead read{std::vector<double>(fills.begin(), fills.end()), std::nullopt, MarkFlag::blank,
                std::nullopt};
  if (fills.empty())
    return read;
  const auto order = byFillDescending(fills);
  const double top = fills[static_cast<size_t>(order[0])];
  const double second = order.size() > 1 ? fills[static_cast<size_t>(order[1])] : 0.0;
  if (top < thresholds.faint)
    return read;
  read.strongest = order[0];
  if (top < thresholds.mark)
    read.flag = MarkFlag::faint;
  else if (second >= thresholds.mark)
    read.flag = MarkFlag::double_;
  else if (second >= thresholds.faint && top - second < thresholds.margin)
    read.flag = MarkFlag::double_;
  else {
    read.flag = std::nullopt;
    read.choice = order[0];
  }
  return read;
}

std::vector<int> marked(const MarkRead &read, const MarkThresholds &thresholds) {
  std::vector<int> indices;
  for (int index : byFillDescending(read.fills))
    if (read.fills[static_cast<size_t>(index)] >= thresholds.faint)
      indices.push_back(index);
  return indices;
}

} // namespace ovalon::MarkReading
