#pragma once

#include "sheets/Font.h"
#include "sheets/Point.h"

#include <memory>
#include <string_view>

struct _cairo;
struct _PangoLayout;

namespace ovalon {

// A shaped single line: the one place text is laid out, so that what is
// measured is what is drawn. Hinting and glyph-position rounding are off, so
// advances scale linearly and do not depend on the surface or the transform.
class PangoLine {
public:
  PangoLine(std::string_view text, const Font &font);

  double width() const;
  // Distance from the line's top to its baseline.
  double baseline() const;
  // Draws with the target's current source, the baseline's left end at `origin`.
  void draw(_cairo *cr, Point origin) const;

private:
  struct Release {
    void operator()(_PangoLayout *layout) const;
  };
  std::unique_ptr<_PangoLayout, Release> layout_;
};

} // namespace ovalon
