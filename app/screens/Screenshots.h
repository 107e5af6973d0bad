#pragma once

#include <QPalette>
#include <QString>

namespace ovalon {

class AppModel;

// `ovalon --screenshots DIR`: the sample class graded in the real window, and a picture
// of every tab, the help and the empty library in a light and a dark palette, named
// "<n>-<what>-light.png" and "<n>-<what>-dark.png". Used by scripts/screenshots.
struct Screenshots {
  // 0 when every picture was written.
  static int take(AppModel &model, const QString &folder);

  // The two palettes the pictures are taken in: the style's own light one, and a dark
  // one with the colours of the usual dark desktop themes.
  static QPalette light();
  static QPalette dark();
};

} // namespace ovalon
