#pragma once

#include <string>

namespace ovalon {

// A font by PostScript name ("Helvetica", "Helvetica-Bold") and size in points.
// A family name ("Humor Sans") works too.
struct Font {
  std::string name;
  double size = 12;

  static Font helvetica(double size) { return {"Helvetica", size}; }
  static Font helveticaBold(double size) { return {"Helvetica-Bold", size}; }

  bool operator==(const Font &) const = default;
};

} // namespace ovalon
