#include "reports/DateText.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <ctime>
#include <memory>

namespace ovalon::DateText {

namespace {

std::string formatted(Date date, icu::DateFormat::EStyle style) {
  std::unique_ptr<icu::DateFormat> format(
      icu::DateFormat::createDateInstance(style, icu::Locale::getDefault()));
  if (!format) {
    // Without locale data, ISO order is still unambiguous.
    const std::time_t seconds = static_cast<std::time_t>(date.unixTime());
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &local);
    return buffer;
  }
  icu::UnicodeString text;
  format->format(date.unixTime() * 1000.0, text);
  std::string result;
  text.toUTF8String(result);
  return result;
}

} // namespace

std::string longStyle(Date date) {
  return formatted(date, icu::DateFormat::kLong);
}

std::string abbreviated(Date date) {
  return formatted(date, icu::DateFormat::kMedium);
}

} // namespace ovalon::DateText
