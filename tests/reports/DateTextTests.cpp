#include "reports/DateText.h"

#include <gtest/gtest.h>

#include <unicode/locid.h>

namespace ovalon {
namespace {

// Sets the formatting locale for one test and puts the previous one back.
struct LocaleScope {
  icu::Locale previous = icu::Locale::getDefault();
  explicit LocaleScope(const char *name) { set(icu::Locale(name)); }
  ~LocaleScope() { set(previous); }
  static void set(const icu::Locale &locale) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(locale, status);
  }
};

// Midday UTC, so the calendar day is the same in every time zone within twelve hours.
const Date midday = Date::fromUnixTime(1'780'142'400); // 2026-05-30 12:00 UTC

TEST(DateText, longAndAbbreviatedStylesWithoutTimeInTheUsersLocale) {
  LocaleScope english("en_US");
  EXPECT_EQ(DateText::longStyle(midday), "May 30, 2026");
  EXPECT_EQ(DateText::abbreviated(Date::fromUnixTime(1'765'022'400)), "Dec 6, 2025");
  EXPECT_EQ(DateText::longStyle(Date::fromUnixTime(1'765'022'400)), "December 6, 2025");
  LocaleScope german("de_DE");
  EXPECT_EQ(DateText::longStyle(midday), "30. Mai 2026");
}

} // namespace
} // namespace ovalon
