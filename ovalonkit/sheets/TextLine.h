#pragma once

#include "sheets/Font.h"

#include <string>

namespace ovalon {

// One line of text in one font and gray level (0 black to 1 white). Lines are
// never wrapped; line breaks inside the text are shown, not obeyed.
struct TextLine {
  std::string text;
  Font font;
  double gray = 0;

  // The typographic width (sum of advances) in points. Drawing places the
  // glyphs exactly as measured, at any scale and on any surface.
  double width() const;

  // This line when it fits `maxWidth`, else the longest leading part of it
  // followed by "…" that fits; empty when not even "…" fits.
  TextLine truncated(double maxWidth) const;

  bool operator==(const TextLine &) const = default;
};

} // namespace ovalon
