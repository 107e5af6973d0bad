#include "scanning/Registration.h"

#include "scanning/DisplacementField.h"
#include "scanning/RingImage.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace ovalon::Registration {

namespace {

// Half-resolution pixels per point: rings are looked for on the half-size page.
constexpr double half = GrayImage::sheetFrameScale / 2;

// How far the printed page may be from its straightened place and still be found: more
// than the bow of a curled page, less than the blank band above the first answer row.
constexpr int searchReach = 40; // half-resolution pixels, 32 pt
// How far one row's bubbles may stray from where the rows before them point.
constexpr int followReach = 4;
// How far a bubble of a block's first row may sit from where its row was placed.
constexpr int anchorBubbleReach = 3;
// The end rows' places tried for how their rows lean, and how far each may lean per slot.
constexpr size_t anchorCandidates = 6;
constexpr double maxLean = 2.5;
constexpr double leanStep = 0.5;
constexpr int leanShiftReach = 3;
// A bubble whose ring answers less than this is not seen (covered, torn, blank paper).
constexpr double seenResponse = 0.05;
// Bubbles off the straight line of their row by more than this are not believed.
constexpr double rowTolerance = 1.5;
// Both ends of a block must place a row within this of each other.
constexpr double agreement = 4.0;
// Rows in a row not seen before a block's track is given up.
constexpr int unseenRun = 3;
// After correction a row is still taken as lined up when its rings answer best within this
// of their places: the sample stays well inside the printed outline.
constexpr double stillLinedUp = 2.0;
constexpr int verifyReach = 4;
// Below this largest shift the page is left as it is.
constexpr double negligibleShift = 0.75;

Point operator+(Point a, Point b) {
  return {a.x + b.x, a.y + b.y};
}
Point operator-(Point a, Point b) {
  return {a.x - b.x, a.y - b.y};
}
Point operator*(double k, Point a) {
  return {k * a.x, k * a.y};
}
double length(Point a) {
  return std::hypot(a.x, a.y);
}

Point toHalf(Point sheet) {
  return {(sheet.x - SheetLayout::cornerInset) * half, (sheet.y - SheetLayout::cornerInset) * half};
}

// A block of printed rings on a regular lattice: an answer column (rows of choices) or the
// student-ID grid (rows of digits across its columns). Rows and slots outside the block
// are where blank paper, a label or a frame line should be.
struct Lattice {
  int rows = 0;
  int slots = 0;
  Point origin; // row 0, slot 0
  Point rowStep;
  Point slotStep;
  double radius = 0;
  int firstRow = 0; // the block's first row among the page's rows of its kind

  Point at(int row, int slot) const { return origin + row * rowStep + slot * slotStep; }
};

std::vector<Lattice> answerBlocks(const SheetLayout &layout, int page) {
  std::vector<Lattice> blocks;
  const auto positions = layout.positions(page);
  if (positions.empty())
    return blocks;
  const int first = *positions.begin();
  const int count = static_cast<int>(positions.size());
  const SheetLayout::Columns columns = layout.columns(page);
  for (int column = 0; column < columns.count; ++column) {
    const int firstRow = column * columns.rows;
    const int rows = std::min(columns.rows, count - firstRow);
    if (rows <= 0)
      break;
    blocks.push_back({rows,
                      layout.signature.choiceCount,
                      toHalf(layout.bubbleCenter(first + firstRow, 0)),
                      {0, SheetLayout::rowHeight * half},
                      {SheetLayout::bubblePitch * half, 0},
                      SheetLayout::bubbleRadius * half,
                      firstRow});
  }
  return blocks;
}

std::optional<Lattice> idBlock(const SheetLayout &layout, int page) {
  if (page != 1 || layout.signature.idDigits <= 0)
    return std::nullopt;
  return Lattice{10,
                 layout.signature.idDigits,
                 toHalf(layout.idBubbleCenter(0, 0)),
                 {0, SheetLayout::idRowPitch * half},
                 {SheetLayout::idColumnPitch * half, 0},
                 SheetLayout::idBubbleRadius * half,
                 0};
}

// ---- The quick look: is every ring where the layout puts it? -------------------------

struct Probe {
  double strength = 0; // mean ring response of the row's bubbles
  Point offset;        // where the response peaks, from five probes
  bool peaked = false; // the response falls off on every side
};

Probe probeRow(const RingImage &rings, const Lattice &block, int row) {
  auto score = [&](Point shift) {
    double sum = 0;
    for (int slot = 0; slot < block.slots; ++slot)
      sum += rings.response(block.at(row, slot) + shift, block.radius);
    return sum / block.slots;
  };
  const double centre = score({0, 0});
  const double left = score({-1, 0}), right = score({1, 0});
  const double up = score({0, -1}), down = score({0, 1});
  const double curveX = left - 2 * centre + right, curveY = up - 2 * centre + down;
  Probe probe;
  probe.strength = centre;
  probe.peaked = curveX < 0 && curveY < 0;
  if (probe.peaked)
    probe.offset = {0.5 * (left - right) / curveX, 0.5 * (up - down) / curveY};
  return probe;
}

double median(std::vector<double> values) {
  if (values.empty())
    return 0;
  std::nth_element(values.begin(), values.begin() + static_cast<ptrdiff_t>(values.size() / 2),
                   values.end());
  return values[values.size() / 2];
}

// Every row's rings answer at their layout places and nowhere nearby answers better, and
// the paper just beyond the block's first and last rows is blank.
// Every row's rings answer at their layout places and nowhere nearby answers better, and
// nothing ring-like sits just past the block: beyond its first and last rows, or just past
// either end of any row (where a block one slot off would put a bubble).
bool inPlace(const RingImage &rings, const Lattice &block) {
  std::vector<double> strengths;
  double beside = 0;
  for (int row = 0; row < block.rows; ++row) {
    const Probe probe = probeRow(rings, block, row);
    if (!probe.peaked || probe.strength < seenResponse || length(probe.offset) > negligibleShift)
      return false;
    strengths.push_back(probe.strength);
    beside = std::max({beside, rings.response(block.at(row, -1), block.radius),
                       rings.response(block.at(row, block.slots), block.radius)});
  }
  const double typical = median(strengths);
  return beside < 0.5 * typical && probeRow(rings, block, -1).strength < 0.5 * typical &&
         probeRow(rings, block, block.rows).strength < 0.5 * typical;
}

// ---- Following a block from one end --------------------------------------------------

// One row as seen from one end of its block.
struct RowFix {
  bool known = false;       // the track reached it
  bool seen = false;        // enough of its rings answered
  std::vector<Point> shift; // per slot
};

// Where a row's bubbles lie: bubble s at its layout place + shift + s × lean (a bent page
// stretches, squeezes and tilts a row as well as moving it).
struct Placement {
  Point shift;
  Point lean;
};

// Where the block's end row lies: the placement at which its rings answer while the paper
// just beyond it (one row outward, one slot past either end) does not. Searched broadly
// for the row as a whole first, then for its lean around the best few places. The best
// place, and with it every place a row or a slot away that answers nearly as well (the
// whole block's print then decides between them); nothing when no place answers.
std::vector<Placement> anchor(const RingImage::Map &coarse, const RingImage::Map &fine,
                              const Lattice &block, int row, int outward) {
  auto at = [&](const RingImage::Map &map, const Placement &p, int r, int slot) {
    return map.at(block.at(r, slot) + p.shift + static_cast<double>(slot) * p.lean);
  };
  // Rings along the row, blank paper beyond it, nothing ring-like just past either end.
  auto broadly = [&](const Placement &p) {
    double inside = 0, beyond = 0;
    for (int slot = 0; slot < block.slots; ++slot) {
      inside += at(coarse, p, row, slot);
      beyond += at(coarse, p, row + outward, slot);
    }
    return (inside - beyond) / block.slots -
           std::max(at(coarse, p, row, -1), at(coarse, p, row, block.slots));
  };
  // As closely: every bubble of the row must answer, so a place one slot off (where one
  // bubble falls on the question number or the gap) scores by its weakest.
  auto closely = [&](const Placement &p) {
    double weakest = 1e9, beyond = 0;
    for (int slot = 0; slot < block.slots; ++slot) {
      weakest = std::min(weakest, at(fine, p, row, slot));
      beyond += at(coarse, p, row + outward, slot);
    }
    return weakest - beyond / block.slots -
           std::max(at(coarse, p, row, -1), at(coarse, p, row, block.slots));
  };
  struct Candidate {
    Placement place;
    double value;
  };
  std::vector<Candidate> broad;
  broad.reserve(static_cast<size_t>((2 * searchReach + 1) * (2 * searchReach + 1)));
  for (int dy = -searchReach; dy <= searchReach; ++dy)
    for (int dx = -searchReach; dx <= searchReach; ++dx) {
      const Placement p{{static_cast<double>(dx), static_cast<double>(dy)}, {}};
      broad.push_back({p, broadly(p)});
    }
  std::ranges::sort(broad, std::ranges::greater{}, &Candidate::value);
  // Two places are the same peak unless half a row or half a slot apart.
  const double apartX = 0.5 * length(block.slotStep), apartY = 0.5 * length(block.rowStep);
  auto distinct = [&](const Placement &a, const Placement &b) {
    return std::abs(a.shift.x - b.shift.x) > apartX || std::abs(a.shift.y - b.shift.y) > apartY;
  };
  std::vector<Candidate> peaks;
  for (const Candidate &c : broad) {
    if (peaks.size() == anchorCandidates)
      break;
    if (std::ranges::all_of(peaks, [&](const Candidate &p) { return distinct(p.place, c.place); }))
      peaks.push_back(c);
  }
  for (Candidate &peak : peaks) {
    const Point centre = peak.place.shift;
    peak.value = -1e9;
    for (double ly = -maxLean; ly <= maxLean; ly += leanStep)
      for (double lx = -maxLean; lx <= maxLean; lx += leanStep)
        for (int dy = -leanShiftReach; dy <= leanShiftReach; ++dy)
          for (int dx = -leanShiftReach; dx <= leanShiftReach; ++dx) {
            const Placement p{{centre.x + dx, centre.y + dy}, {lx, ly}};
            const double value = closely(p);
            if (value > peak.value)
              peak = {p, value};
          }
  }
  std::ranges::sort(peaks, std::ranges::greater{}, &Candidate::value);
  if (peaks.empty() || peaks[0].value < seenResponse)
    return {};
  std::vector<Placement> contenders{peaks[0].place};
  for (size_t i = 1; i < peaks.size(); ++i)
    if (distinct(peaks[0].place, peaks[i].place) && peaks[i].value > 0.6 * peaks[0].value)
      contenders.push_back(peaks[i].place);
  return contenders;
}

// Makes a row's per-slot shifts a straight line through the bubbles that answered, the
// odd one out left out. Returns whether enough of them did to call the row seen.
bool straightenRow(std::vector<Point> &shift, const std::vector<Point> &found,
                   std::vector<bool> answered, Point priorSlope) {
  const int slots = static_cast<int>(found.size());
  Point intercept, slope = priorSlope;
  auto fit = [&] {
    int n = 0;
    double sumS = 0, sumSS = 0;
    Point sumD, sumSD;
    for (int s = 0; s < slots; ++s)
      if (answered[static_cast<size_t>(s)]) {
        const Point d = found[static_cast<size_t>(s)];
        ++n;
        sumS += s;
        sumSS += s * s;
        sumD = sumD + d;
        sumSD = sumSD + static_cast<double>(s) * d;
      }
    if (n == 0)
      return 0;
    const double spread = sumSS - sumS * sumS / n;
    // Three bubbles or more say how the row leans; fewer keep the rows above's lean.
    slope = n >= 3 && spread > 0 ? (1 / spread) * (sumSD - (sumS / n) * sumD) : priorSlope;
    intercept = (1.0 / n) * (sumD - sumS * slope);
    return n;
  };
  int n = fit();
  for (int round = 0; round < slots && n > 0; ++round) {
    int worst = -1;
    double worstOff = rowTolerance;
    for (int s = 0; s < slots; ++s)
      if (answered[static_cast<size_t>(s)]) {
        const double off =
            length(found[static_cast<size_t>(s)] - (intercept + static_cast<double>(s) * slope));
        if (off > worstOff) {
          worstOff = off;
          worst = s;
        }
      }
    if (worst < 0)
      break;
    answered[static_cast<size_t>(worst)] = false;
    n = fit();
  }
  if (n == 0)
    return false;
  for (int s = 0; s < slots; ++s)
    shift[static_cast<size_t>(s)] = intercept + static_cast<double>(s) * slope;
  return 2 * n >= slots;
}

// Follows a block from its end row `start` toward the other end, each row looked for where
// the rows before it point. Stops after a run of rows that can't be seen.
std::vector<RowFix> follow(const RingImage::Map &map, const Lattice &block, int start, int step,
                           const Placement &anchorPlace) {
  std::vector<RowFix> fixes(static_cast<size_t>(block.rows));
  const auto slots = static_cast<size_t>(block.slots);
  Point slope = anchorPlace.lean;
  int unseen = 0;
  for (int row = start, index = 0; row >= 0 && row < block.rows; row += step, ++index) {
    std::vector<Point> predicted(slots);
    for (size_t s = 0; s < slots; ++s)
      predicted[s] = anchorPlace.shift + static_cast<double>(s) * anchorPlace.lean;
    if (index >= 1) {
      const RowFix &previous = fixes[static_cast<size_t>(row - step)];
      const bool two = index >= 2;
      for (size_t s = 0; s < slots; ++s)
        predicted[s] =
            two ? 2.0 * previous.shift[s] - fixes[static_cast<size_t>(row - 2 * step)].shift[s]
                : previous.shift[s];
    }
    std::vector<Point> found(slots);
    std::vector<bool> answered(slots);
    const int reach = index == 0 ? anchorBubbleReach : followReach;
    for (size_t s = 0; s < slots; ++s) {
      const Point expected = block.at(row, static_cast<int>(s));
      double strength = 0;
      found[s] = map.peak(expected + predicted[s], reach, strength) - expected;
      answered[s] = strength >= seenResponse;
    }
    RowFix &fix = fixes[static_cast<size_t>(row)];
    fix.known = true;
    fix.shift = predicted;
    fix.seen = straightenRow(fix.shift, found, answered, slope);
    if (fix.seen) {
      slope = slots > 1
                  ? (1.0 / static_cast<double>(slots - 1)) * (fix.shift.back() - fix.shift.front())
                  : Point{};
      unseen = 0;
    } else {
      fix.shift = predicted;
      if (++unseen >= unseenRun)
        break;
    }
  }
  return fixes;
}

// ---- Putting both ends together ------------------------------------------------------

struct BlockResult {
  std::vector<bool> linedUp;              // per row
  std::vector<std::vector<Point>> shifts; // per row, per slot (known rows only)
  std::vector<bool> known;                // per row
};

// How well a track's placement of the whole block fits the print: every bubble of a row
// answering (its weakest counts) and nothing ring-like just past either end, over the rows it
// saw. A track one slot off has, in every row, a bubble on the question number or in the gap
// and an end on a bubble.
double evidence(const RingImage::Map &fine, const RingImage::Map &coarse, const Lattice &block,
                const std::vector<RowFix> &fixes) {
  double sum = 0;
  int rows = 0;
  for (int row = 0; row < block.rows; ++row) {
    const RowFix &fix = fixes[static_cast<size_t>(row)];
    if (!fix.known || !fix.seen)
      continue;
    const std::vector<Point> &shift = fix.shift;
    double weakest = 1e9;
    for (int slot = 0; slot < block.slots; ++slot)
      weakest = std::min(weakest, fine.at(block.at(row, slot) + shift[static_cast<size_t>(slot)]));
    const size_t last = shift.size() - 1;
    const Point before = last >= 1 ? 2.0 * shift[0] - shift[1] : shift[0];
    const Point after = last >= 1 ? 2.0 * shift[last] - shift[last - 1] : shift[last];
    sum += weakest - std::max(coarse.at(block.at(row, -1) + before),
                              coarse.at(block.at(row, block.slots) + after));
    ++rows;
  }
  return rows == 0 ? -1 : sum / rows;
}

// The ring response over the block and `reach` pixels around it.
RingImage::Map windowAround(const RingImage &rings, const Lattice &block, double reach) {
  const double margin = reach + block.radius + 4;
  const Point low = block.at(-1, -1), high = block.at(block.rows, block.slots);
  const auto x0 = static_cast<int64_t>(std::floor(low.x - margin));
  const auto y0 = static_cast<int64_t>(std::floor(low.y - margin));
  return rings.map(x0, y0, static_cast<int64_t>(std::ceil(high.x + margin)) - x0,
                   static_cast<int64_t>(std::ceil(high.y + margin)) - y0, block.radius);
}

bool stillInPlace(const RingImage &rings, const RingImage::Map &map, const Lattice &block,
                  int row) {
  int answering = 0;
  double total = 0;
  for (int slot = 0; slot < block.slots; ++slot) {
    const Point place = block.at(row, slot);
    double strength = 0;
    const Point found = map.peak(place, verifyReach, strength);
    if (strength < seenResponse)
      continue;
    if (length(found - place) > stillLinedUp)
      return false;
    ++answering;
    total += strength;
  }
  if (2 * answering < block.slots)
    return false;
  const double beside = std::max(rings.response(block.at(row, -1), block.radius),
                                 rings.response(block.at(row, block.slots), block.radius));
  return beside < 0.5 * total / answering;
}

BlockResult registerBlock(const RingImage &rings, const Lattice &block) {
  // The window every search of this block may look into.
  const auto map = windowAround(rings, block, searchReach + anchorBubbleReach);

  const auto rows = static_cast<size_t>(block.rows);
  std::vector<RowFix> down(rows), up(rows);
  const auto coarse = map.pooled(3), fine = map.pooled(1);
  // The track from one end: from its anchor, or when the end row could sit in more than
  // one place, from the one whose track fits the whole block's print clearly best.
  auto track = [&](int row, int step) -> std::optional<std::vector<RowFix>> {
    std::optional<std::vector<RowFix>> best;
    double bestFit = seenResponse, nextFit = -1e9;
    for (const Placement &place : anchor(coarse, fine, block, row, -step)) {
      std::vector<RowFix> fixes = follow(map, block, row, step, place);
      const double fit = evidence(fine, coarse, block, fixes);
      if (fit >= bestFit) {
        nextFit = std::max(nextFit, best ? bestFit : -1e9);
        bestFit = fit;
        best = std::move(fixes);
      } else {
        nextFit = std::max(nextFit, fit);
      }
    }
    if (best && nextFit > 0.6 * bestFit)
      return std::nullopt;
    return best;
  };
  const auto top = track(0, 1);
  if (top)
    down = *top;
  const auto bottom = track(block.rows - 1, -1);
  if (bottom)
    up = *bottom;

  // Tracks that part ways: the one whose placement of the whole block fits the print far
  // better is kept, the other dropped; otherwise the rows they disagree on stay unplaced.
  if (top && bottom) {
    const double fromTop = evidence(fine, coarse, block, down);
    const double fromBottom = evidence(fine, coarse, block, up);
    if (fromTop >= seenResponse && fromBottom < 0.5 * fromTop)
      up.assign(rows, RowFix{});
    else if (fromBottom >= seenResponse && fromTop < 0.5 * fromBottom)
      down.assign(rows, RowFix{});
  }

  BlockResult result{std::vector<bool>(rows, false), std::vector<std::vector<Point>>(rows),
                     std::vector<bool>(rows, false)};
  for (size_t row = 0; row < rows; ++row) {
    const RowFix &a = down[row], &b = up[row];
    if (a.known && b.known) {
      bool agree = true;
      for (size_t s = 0; s < a.shift.size(); ++s)
        agree = agree && length(a.shift[s] - b.shift[s]) <= agreement;
      if (!agree)
        continue;
      result.known[row] = true;
      result.shifts[row].resize(a.shift.size());
      for (size_t s = 0; s < a.shift.size(); ++s)
        result.shifts[row][s] = 0.5 * (a.shift[s] + b.shift[s]);
      // Two tracks from opposite ends that meet here say where the row is, seen or not.
      result.linedUp[row] = true;
    } else if (a.known || b.known) {
      const RowFix &only = a.known ? a : b;
      result.known[row] = only.seen;
      result.shifts[row] = only.shift;
      result.linedUp[row] = only.seen;
    }
  }
  return result;
}

} // namespace

RegisteredPage registered(GrayImage straightened, const SheetLayout &layout, int page) {
  std::vector<Lattice> blocks = answerBlocks(layout, page);
  const int answerRows = static_cast<int>(layout.positions(page).size());
  const std::optional<Lattice> id = idBlock(layout, page);
  if (id)
    blocks.push_back(*id);
  const size_t idIndex = blocks.size() - 1;

  RegisteredPage result;
  result.rowsLinedUp.assign(static_cast<size_t>(answerRows), true);
  result.idColumnsLinedUp.assign(id ? static_cast<size_t>(id->slots) : 0, true);

  const RingImage rings(straightened);
  if (std::ranges::all_of(blocks, [&](const Lattice &block) { return inPlace(rings, block); })) {
    result.image = std::move(straightened);
    return result;
  }

  std::vector<DisplacementField::Sample> samples;
  const double frameWidth = static_cast<double>(straightened.width);
  const double frameHeight = static_cast<double>(straightened.height);
  for (Point corner :
       {Point{0, 0}, Point{frameWidth, 0}, Point{0, frameHeight}, Point{frameWidth, frameHeight}})
    samples.push_back({corner, {0, 0}});
  double largest = 0;
  for (size_t b = 0; b < blocks.size(); ++b) {
    const Lattice &block = blocks[b];
    const bool isID = id && b == idIndex;
    const BlockResult fixed = registerBlock(rings, block);
    for (int row = 0; row < block.rows; ++row) {
      const auto r = static_cast<size_t>(row);
      if (!fixed.linedUp[r]) {
        if (isID)
          result.idColumnsLinedUp.assign(result.idColumnsLinedUp.size(), false);
        else
          result.rowsLinedUp[static_cast<size_t>(block.firstRow + row)] = false;
      }
      if (!fixed.known[r])
        continue;
      for (int slot = 0; slot < block.slots; ++slot) {
        const Point shift = fixed.shifts[r][static_cast<size_t>(slot)];
        largest = std::max(largest, length(shift));
        samples.push_back({2.0 * block.at(row, slot), 2.0 * shift});
      }
    }
  }
  result.largestShift = largest / half;
  if (largest < negligibleShift) {
    result.image = std::move(straightened);
    return result;
  }
  const DisplacementField field(straightened.width, straightened.height, samples);
  result.image = field.applied(straightened);

  // The corrected page is looked at again, bubble by bubble: a row counts as lined up only
  // when most of its rings answer, each right at its place, and nothing ring-like sits just
  // past either end (where a row a whole bubble off would have one).
  const RingImage corrected(result.image);
  for (size_t b = 0; b < blocks.size(); ++b) {
    const Lattice &block = blocks[b];
    const bool isID = id && b == idIndex;
    const auto map = windowAround(corrected, block, verifyReach);
    for (int row = 0; row < block.rows; ++row) {
      if (stillInPlace(corrected, map, block, row))
        continue;
      if (isID)
        result.idColumnsLinedUp.assign(result.idColumnsLinedUp.size(), false);
      else
        result.rowsLinedUp[static_cast<size_t>(block.firstRow + row)] = false;
    }
  }
  return result;
}

} // namespace ovalon::Registration
