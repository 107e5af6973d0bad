#include "screens/Shortcuts.h"
#include "screens/Tone.h"
#include "screens/Ui.h"

#include <QPalette>

#include <gtest/gtest.h>

#include <cmath>

namespace ovalon {
namespace {

TEST(Ui, textsRoundTripUnicodeAndShortcutsUseThisDesktopsForm) {
  std::string quoted = "\u201CUnit 3\u201D \u00B7 r\u00E9sum\u00E9\u2026";
  EXPECT_EQ(ui::utf8(ui::text(quoted)), quoted);
  EXPECT_EQ(shortcuts::text(shortcuts::gradeScans()), "Ctrl+G");
  EXPECT_EQ(shortcuts::hint("Next open item", shortcuts::nextOpenItem()),
            "Next open item (Ctrl+Shift+])");
  EXPECT_TRUE(ui::symbol("no.such.symbol").isNull());
}

// Tones must stay readable on the window they are shown on: darker than a light
// window, lighter than a dark one, in each theme.
TEST(Ui, tonesContrastWithLightAndDarkWindows) {
  QPalette light(Qt::black, QColor(239, 239, 239));
  QPalette dark(QColor(238, 238, 236), QColor(53, 53, 53));
  ASSERT_FALSE(ui::isDark(light));
  ASSERT_TRUE(ui::isDark(dark));
  for (ui::Tone tone : {ui::Tone::right, ui::Tone::wrong, ui::Tone::review, ui::Tone::warning,
                        ui::Tone::student, ui::Tone::page, ui::Tone::quiet, ui::Tone::plain}) {
    EXPECT_LT(ui::toneColor(tone, light).lightnessF(), 0.5) << static_cast<int>(tone);
    EXPECT_GT(ui::toneColor(tone, dark).lightnessF(), 0.5) << static_cast<int>(tone);
  }
  // Secondary text sits between the text and its background in both.
  for (const QPalette &palette : {light, dark}) {
    double text = palette.color(QPalette::Text).lightnessF();
    double base = palette.color(QPalette::Base).lightnessF();
    double secondary = ui::secondaryText(palette).lightnessF();
    EXPECT_GT(std::abs(secondary - base), 0.2);
    EXPECT_LT(std::abs(secondary - base), std::abs(text - base));
  }
}

} // namespace
} // namespace ovalon
