#pragma once

#include "scanning/GrayImage.h"

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>

namespace ovalon::testing {

// A white width × height image with whatever `draw` paints on it, in pixels.
GrayImage drawnImage(int64_t width, int64_t height, const std::function<void(cairo_t *)> &draw);

// Paints a QR symbol for `text` with its top-left at (x, y), `module` pixels a module.
void drawQr(cairo_t *cr, const std::string &text, double x, double y, double module);

} // namespace ovalon::testing
