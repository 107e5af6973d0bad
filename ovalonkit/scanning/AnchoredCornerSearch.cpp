#include "scanning/AnchoredCornerSearch.h"

#include "scanning/CornerSquare.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ovalon::AnchoredCornerSearch {

namespace {

// How far (sheet points) from its predicted place a corner square is looked
// for: room for a photo's perspective and a page that doesn't lie flat.
constexpr double reach = 90;
// The most a sheet may put the symbol away from where it was seen, in points.
constexpr double symbolTolerance = 15;
// The same for three squares taken as a flat, head-on sheet, before the
// symbol's own corners are trusted to add the perspective.
constexpr double flatSymbolTolerance = 40;
// How far (points) from where the other squares put it a square must be to
// count as a mark standing in for one that is gone.
constexpr double standInDistance = 15;
// Candidates kept per corner, nearest the prediction first.
constexpr size_t keptPerCorner = 4;

double distance(Point a, Point b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

struct Window {
  int64_t x0 = 0, y0 = 0, width = 0, height = 0;
};

Window windowAround(Point centre, double halfSide, const GrayImage &page) {
  const auto clampX = [&](double v) {
    return std::clamp<int64_t>(static_cast<int64_t>(std::floor(v)), 0, page.width);
  };
  const auto clampY = [&](double v) {
    return std::clamp<int64_t>(static_cast<int64_t>(std::floor(v)), 0, page.height);
  };
  const int64_t x0 = clampX(centre.x - halfSide), x1 = clampX(centre.x + halfSide);
  const int64_t y0 = clampY(centre.y - halfSide), y1 = clampY(centre.y + halfSide);
  return {x0, y0, x1 - x0, y1 - y0};
}

// Ink against the paper nearby: a pixel counts when it is well under the
// brightest block average within a square's width, so a shadow or a dark desk
// beside the page doesn't read as ink the way one threshold for the page would.
std::vector<uint8_t> inkMask(const GrayImage &page, const Window &w, double side) {
  const int64_t block = std::max<int64_t>(2, std::llround(side / 2));
  const int64_t gw = (w.width + block - 1) / block, gh = (w.height + block - 1) / block;
  std::vector<double> means(static_cast<size_t>(gw * gh), 0);
  std::vector<int64_t> counts(means.size(), 0);
  for (int64_t y = 0; y < w.height; ++y) {
    const uint8_t *row = &page.pixels[static_cast<size_t>((w.y0 + y) * page.width + w.x0)];
    for (int64_t x = 0; x < w.width; ++x) {
      const auto cell = static_cast<size_t>((y / block) * gw + x / block);
      means[cell] += row[x];
      ++counts[cell];
    }
  }
  for (size_t i = 0; i < means.size(); ++i)
    means[i] /= static_cast<double>(std::max<int64_t>(1, counts[i]));
  std::vector<double> paper(means.size(), 0);
  for (int64_t gy = 0; gy < gh; ++gy)
    for (int64_t gx = 0; gx < gw; ++gx) {
      double brightest = 0;
      for (int64_t ny = std::max<int64_t>(0, gy - 2); ny <= std::min(gh - 1, gy + 2); ++ny)
        for (int64_t nx = std::max<int64_t>(0, gx - 2); nx <= std::min(gw - 1, gx + 2); ++nx)
          brightest = std::max(brightest, means[static_cast<size_t>(ny * gw + nx)]);
      paper[static_cast<size_t>(gy * gw + gx)] = brightest;
    }
  std::vector<uint8_t> ink(static_cast<size_t>(w.width * w.height), 0);
  for (int64_t y = 0; y < w.height; ++y) {
    const uint8_t *row = &page.pixels[static_cast<size_t>((w.y0 + y) * page.width + w.x0)];
    for (int64_t x = 0; x < w.width; ++x) {
      const double level = paper[static_cast<size_t>((y / block) * gw + x / block)];
      ink[static_cast<size_t>(y * w.width + x)] = row[x] < 0.45 * level && level - row[x] >= 50;
    }
  }
  return ink;
}

struct Blob {
  int64_t area = 0, minX = 0, maxX = 0, minY = 0, maxY = 0;
  double sumX = 0, sumY = 0;
  bool touchesEdge = false;
};

// The 4-connected ink regions of the window.
std::vector<Blob> blobs(std::vector<uint8_t> ink, const Window &w) {
  std::vector<Blob> found;
  std::vector<uint32_t> stack;
  for (int64_t y = 0; y < w.height; ++y)
    for (int64_t x = 0; x < w.width; ++x) {
      const auto seed = static_cast<size_t>(y * w.width + x);
      if (!ink[seed])
        continue;
      ink[seed] = 0;
      Blob blob{0, x, x, y, y, 0, 0, false};
      stack.assign(1, static_cast<uint32_t>(seed));
      while (!stack.empty()) {
        const uint32_t index = stack.back();
        stack.pop_back();
        const int64_t px = index % w.width, py = index / w.width;
        ++blob.area;
        blob.sumX += static_cast<double>(px);
        blob.sumY += static_cast<double>(py);
        blob.minX = std::min(blob.minX, px);
        blob.maxX = std::max(blob.maxX, px);
        blob.minY = std::min(blob.minY, py);
        blob.maxY = std::max(blob.maxY, py);
        if (px == 0 || py == 0 || px == w.width - 1 || py == w.height - 1)
          blob.touchesEdge = true;
        const std::array<std::pair<int64_t, int64_t>, 4> neighbours{
            {{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}}};
        for (const auto &[nx, ny] : neighbours) {
          if (nx < 0 || ny < 0 || nx >= w.width || ny >= w.height)
            continue;
          const auto n = static_cast<size_t>(ny * w.width + nx);
          if (!ink[n])
            continue;
          ink[n] = 0;
          stack.push_back(static_cast<uint32_t>(n));
        }
      }
      found.push_back(blob);
    }
  return found;
}

// A square's size and shape, from any turn: its bounding box is between one
// and √2 sides wide and it fills at least half of it.
bool squareSized(const Blob &blob, double side) {
  const auto a = static_cast<double>(blob.area);
  const auto bw = static_cast<double>(blob.maxX - blob.minX + 1);
  const auto bh = static_cast<double>(blob.maxY - blob.minY + 1);
  const double s2 = side * side;
  return !blob.touchesEdge && a >= 0.4 * s2 && a <= 2.2 * s2 && bw >= 0.5 * side &&
         bw <= 1.8 * side && bh >= 0.5 * side && bh <= 1.8 * side && a / (bw * bh) >= 0.45;
}

// The centres of the squares near one predicted corner, nearest first.
std::vector<Point> candidates(const GrayImage &page, Point predicted, const SymbolAnchor &symbol) {
  const double scale = symbol.scale();
  const double side = SheetLayout::cornerSize * scale;
  const Window w = windowAround(predicted, reach * scale, page);
  if (w.width < 3 || w.height < 3)
    return {};
  const auto steps = symbol.sheetToImage.steps(predicted);
  std::vector<Point> found;
  for (const Blob &blob : blobs(inkMask(page, w, side), w)) {
    if (!squareSized(blob, side))
      continue;
    const auto a = static_cast<double>(blob.area);
    const Point centre{blob.sumX / a + static_cast<double>(w.x0) + 0.5,
                       blob.sumY / a + static_cast<double>(w.y0) + 0.5};
    if (symbol.covers(centre))
      continue;
    // Follow the square's own size, which perspective changes from corner to corner.
    const double own = std::sqrt(a) / SheetLayout::cornerSize / scale;
    const std::array<Point, 2> scaled{
        {{steps[0].x * own, steps[0].y * own}, {steps[1].x * own, steps[1].y * own}}};
    if (CornerSquare::fits(page, centre, scaled))
      found.push_back(centre);
  }
  std::ranges::sort(found, {}, [&](Point p) { return distance(p, predicted); });
  if (found.size() > keptPerCorner)
    found.resize(keptPerCorner);
  return found;
}

struct Choice {
  Corners corners;
  double cost = 0;
};

struct Candidates {
  std::array<Point, 4> predicted;
  std::array<std::vector<Point>, 4> centres; // per corner, nearest the prediction first
};

} // namespace

bool fitsSheet(const Corners &corners, const SheetLayout &layout, const SymbolAnchor &symbol) {
  return CornerFinder::plausibleCorners(corners, layout.pageSize) &&
         symbol.misfit(corners, layout) <= symbolTolerance;
}

std::optional<Point> placeMissing(const Corners &corners, size_t missing, const SheetLayout &layout,
                                  const SymbolAnchor &symbol) {
  const auto frame = layout.cornerCenters();
  std::vector<Point> from, to;
  for (size_t i = 0; i < 4; ++i)
    if (i != missing) {
      from.push_back(frame[i]);
      to.push_back(corners[i]);
    }
  const auto affine = Homography::fittedAffine(from, to);
  if (!affine)
    return std::nullopt;
  // The three must agree with the symbol before the symbol is trusted with the
  // page's perspective.
  if (distance(affine->map(symbol.printedCentre()), symbol.seenCentre()) / symbol.scale() >
      flatSymbolTolerance)
    return std::nullopt;
  for (size_t i = 0; i < 4; ++i) {
    from.push_back(symbol.printed[i]);
    to.push_back(symbol.seen[i]);
  }
  const auto projective = Homography::fitted(from, to);
  if (!projective)
    return std::nullopt;
  return projective->map(frame[missing]);
}

namespace {

// The pick of one candidate per corner, nearest the predictions overall, that
// holds the sheet. A `dropped` corner is placed from the other three instead;
// any candidate it has must lie well away from that place, so a page whose
// own four squares can't hold a sheet is not rescued by dropping one of them.
std::optional<Choice> cheapestPick(const Candidates &found, std::optional<size_t> dropped,
                                   const SheetLayout &layout, const SymbolAnchor &symbol) {
  const double scale = symbol.scale();
  std::optional<Choice> best;
  std::array<size_t, 4> pick{};
  while (true) {
    Choice choice;
    for (size_t i = 0; i < 4; ++i)
      if (i != dropped) {
        choice.corners[i] = found.centres[i][pick[i]];
        choice.cost += distance(choice.corners[i], found.predicted[i]) / scale;
      }
    bool usable = true;
    if (dropped) {
      const auto placed = placeMissing(choice.corners, *dropped, layout, symbol);
      usable = placed && std::ranges::all_of(found.centres[*dropped], [&](Point p) {
                 return distance(p, *placed) / scale > standInDistance;
               });
      if (placed)
        choice.corners[*dropped] = *placed;
    }
    if (usable && (!best || choice.cost < best->cost) && fitsSheet(choice.corners, layout, symbol))
      best = choice;
    size_t i = 0;
    while (i < 4 && (i == dropped || ++pick[i] == found.centres[i].size())) {
      pick[i] = 0;
      ++i;
    }
    if (i == 4)
      return best;
  }
}

// On a page that isn't flat the symbol, bent with the paper, can point well
// away from a corner. The other three squares, being the page's own corners,
// predict the fourth better: it is looked for again where they put it.
void lookWhereTheOthersPutIt(const GrayImage &page, const SheetLayout &layout,
                             const SymbolAnchor &symbol, size_t missing, Candidates &found) {
  const auto frame = layout.cornerCenters();
  std::vector<Point> from, to;
  for (size_t i = 0; i < 4; ++i)
    if (i != missing) {
      from.push_back(frame[i]);
      to.push_back(found.centres[i].front());
    }
  const auto affine = Homography::fittedAffine(from, to);
  if (!affine)
    return;
  const Point predicted = affine->map(frame[missing]);
  if (auto centres = candidates(page, predicted, symbol); !centres.empty()) {
    found.predicted[missing] = predicted;
    found.centres[missing] = std::move(centres);
  }
}

} // namespace

std::optional<AnchoredCorners> search(const GrayImage &page, const SheetLayout &layout,
                                      const SymbolAnchor &symbol) {
  const auto frame = layout.cornerCenters();
  Candidates found;
  for (size_t i = 0; i < 4; ++i) {
    found.predicted[i] = symbol.sheetToImage.map(frame[i]);
    found.centres[i] = candidates(page, found.predicted[i], symbol);
  }
  std::optional<size_t> empty;
  for (size_t i = 0; i < 4; ++i)
    if (found.centres[i].empty()) {
      if (empty)
        return std::nullopt;
      empty = i;
    }
  if (empty)
    lookWhereTheOthersPutIt(page, layout, symbol, *empty, found);
  if (empty && found.centres[*empty].empty()) {
    const auto pick = cheapestPick(found, empty, layout, symbol);
    return pick ? std::optional(AnchoredCorners{pick->corners, true}) : std::nullopt;
  }
  if (const auto pick = cheapestPick(found, std::nullopt, layout, symbol))
    return AnchoredCorners{pick->corners, false};
  // No four squares hold the sheet: one of them may be a mark standing in for
  // a square that is gone.
  std::optional<Choice> best;
  for (size_t i = 0; i < 4; ++i)
    if (auto pick = cheapestPick(found, i, layout, symbol);
        pick && (!best || pick->cost < best->cost))
      best = pick;
  return best ? std::optional(AnchoredCorners{best->corners, true}) : std::nullopt;
}

} // namespace ovalon::AnchoredCornerSearch
