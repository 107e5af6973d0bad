#pragma once

#include "model/Exam.h"
#include "scanning/GrayImage.h"
#include "scanning/MarkThresholds.h"
#include "scanning/PageRead.h"
#include "sheets/Point.h"
#include "sheets/SheetIdentity.h"
#include "sheets/SheetLayout.h"

#include <array>
#include <optional>

namespace ovalon {

// Reads one page image against one test: identity symbol, corner squares,
// straightening, every bubble row and, on a first page, the student-ID columns.
namespace PageReader {

// A decoded identity symbol, its centre and its own corners (top-left,
// top-right, bottom-right, bottom-left of the symbol) in top-left-origin page pixels.
struct FoundCode {
  SheetIdentity identity;
  Point centre;
  std::array<Point, 4> corners{};

  bool operator==(const FoundCode &) const = default;
};

// The first parsable identity symbol on the whole page; failing that, in the
// four 42 % corner regions enlarged twice and sharpened. Nothing when none parses.
std::optional<FoundCode> findCode(const GrayImage &page);

// The same symbol, looked for first where `layout` prints it on a page scanned whole,
// upright or upside down; the whole search follows when it isn't there.
std::optional<FoundCode> findCode(const GrayImage &page, const SheetLayout &layout);

// The page read against `exam`. `assumed` stands in for the identity when
// no symbol is found (its corners are then taken in image order). Never throws;
// a page that cannot be read carries its problem.
PageRead read(const GrayImage &page, const Exam &exam, const MarkThresholds &thresholds = {},
              const std::optional<SheetIdentity> &assumed = std::nullopt);

} // namespace PageReader

} // namespace ovalon
