#include "screens/Ui.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

namespace ovalon {
namespace {

TEST(Ui, textsRoundTripUnicodeAndShortcutsUseThisDesktopsForm) {
  std::string quoted = "\u201CUnit 3\u201D \u00B7 r\u00E9sum\u00E9\u2026";
  EXPECT_EQ(ui::utf8(ui::text(quoted)), quoted);
  EXPECT_EQ(ui::shortcutText(QKeySequence(Qt::CTRL | Qt::Key_G)), "Ctrl+G");
  EXPECT_EQ(ui::shortcutText(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketRight)),
            "Ctrl+Shift+]");
}

TEST(Ui, everyDesignSymbolHasAnIconAndUnknownNamesHaveNone) {
  for (const char *name :
       {"plus.circle", "doc.viewfinder", "checklist", "lock.fill", "printer", "key", "iphone",
        "arrow.triangle.2.circlepath", "pencil", "shuffle", "graduationcap", "lock.shield"})
    EXPECT_FALSE(ui::symbol(name).isNull()) << name;
  EXPECT_TRUE(ui::symbol("no.such.symbol").isNull());
  std::unique_ptr<QLabel> label(ui::note("A long note"));
  EXPECT_TRUE(label->wordWrap());
}

} // namespace
} // namespace ovalon
