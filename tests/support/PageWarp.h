#pragma once

#include "scanning/GrayImage.h"
#include "sheets/Point.h"
#include "sheets/Size.h"

#include <functional>

namespace ovalon::testing {

// A page that doesn't lie flat: what is printed at page point q (in points) shows at
// q + shift(q). The shift is meant to be smooth and small beside the page.
using PageShift = std::function<Point(Point)>;

// `page`, a drawing of a `paper`-sized page, with every printed point moved by `shift`.
GrayImage warped(const GrayImage &page, Size paper, const PageShift &shift);

} // namespace ovalon::testing
