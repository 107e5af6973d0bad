#pragma once

#include "scanning/GrayImage.h"
#include "scanning/MarkRead.h"
#include "scanning/MarkThresholds.h"
#include "sheets/Point.h"

#include <span>
#include <vector>

namespace ovalon {

// Bubble darkness on a straightened page turned into marks: sample each
// bubble, calibrate the page's paper and pencil levels, normalise, classify.
namespace MarkReading {

enum class BubbleKind { answer, studentID };

// Sample radii in sheet-frame pixels: 62 % of the printed bubble radii
// (6 pt and 5.2 pt at 2.5 px/pt), so the printed outline stays outside.
inline constexpr double answerSampleRadius = 9.3;
inline constexpr double idSampleRadius = 8.06;

// The page's raw darkness of an empty bubble (paper) and of a filled one (ink).
struct Calibration {
  double paper = 0.0;
  double ink = 0.7;

  bool operator==(const Calibration &) const = default;
};

// Raw darkness of the bubble centred at `centre` (sheet points) on a page
// straightened into the sheet frame.
double sample(const GrayImage &straightened, Point centre, BubbleKind kind);

struct Bubble {
  Point centre; // sheet points
  BubbleKind kind;
};

// Raw darkness of every bubble of a page, each judged against the paper just around it
// (see PaperLevel): the same as `sample` on an evenly lit page, and under a shadow or
// uneven light what the bubble would read in full light.
std::vector<double> sampleAgainstPaper(const GrayImage &straightened,
                                       std::span<const Bubble> bubbles);

// Paper and ink levels from every raw value of one page (answer bubbles
// first, then ID bubbles).
Calibration calibrate(std::span<const double> raw);

// Raw values of one row as fills: 0 at paper, 1 at ink, clamped to 0…1.5.
std::vector<double> normalize(const Calibration &levels, std::span<const double> raw);

// The decision for one row of fills: a clean choice, or blank, double or faint.
MarkRead classify(std::span<const double> fills, const MarkThresholds &thresholds);

// Bubbles at or above the faint level, strongest first (equal fills: lower index first).
std::vector<int> marked(const MarkRead &read, const MarkThresholds &thresholds);

} // namespace MarkReading

} // namespace ovalon
