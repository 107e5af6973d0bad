#include "screens/Tone.h"

#include <algorithm>

namespace ovalon::ui {

namespace {

struct Hue {
  int degrees;
  double saturation;
};

Hue hue(Tone tone) {
  switch (tone) {
  case Tone::right:
    return {135, 0.62};
  case Tone::wrong:
    return {4, 0.72};
  case Tone::review:
    return {32, 0.95};
  case Tone::warning:
    return {28, 0.9};
  case Tone::student:
    return {214, 0.7};
  case Tone::page:
    return {275, 0.5};
  case Tone::quiet:
  case Tone::plain:
    break;
  }
  return {0, 0};
}

} // namespace

bool isDark(const QPalette &palette) {
  // Text, not WindowText: a label that shows a tone sets its own WindowText.
  return palette.color(QPalette::Window).lightnessF() < palette.color(QPalette::Text).lightnessF();
}

QColor toneColor(Tone tone, const QPalette &palette) {
  Hue h = hue(tone);
  // Dark enough to read on white paper-like windows, light enough on dark ones.
  double lightness = isDark(palette) ? 0.68 : 0.36;
  if (tone == Tone::plain)
    return palette.color(QPalette::Text);
  if (tone == Tone::quiet)
    return mix(palette.color(QPalette::Text), palette.color(QPalette::Window), 0.4);
  return QColor::fromHslF(h.degrees / 360.0, h.saturation, lightness);
}

QColor mix(const QColor &a, const QColor &b, double amount) {
  double t = std::clamp(amount, 0.0, 1.0);
  auto blend = [t](double x, double y) { return x + (y - x) * t; };
  return QColor::fromRgbF(static_cast<float>(blend(a.redF(), b.redF())),
                          static_cast<float>(blend(a.greenF(), b.greenF())),
                          static_cast<float>(blend(a.blueF(), b.blueF())),
                          static_cast<float>(blend(a.alphaF(), b.alphaF())));
}

QColor secondaryText(const QPalette &palette) {
  return mix(palette.color(QPalette::Text), palette.color(QPalette::Base), 0.42);
}

} // namespace ovalon::ui
