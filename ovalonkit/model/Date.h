#pragma once

#include <compare>

namespace ovalon {

// An absolute time, kept as it is stored: seconds since 2001-01-01 00:00:00 UTC.
struct Date {
  double sinceReferenceDate = 0;

  static Date now();

  // Seconds between 1970-01-01 and 2001-01-01.
  static constexpr double unixOffset = 978307200.0;
  double unixTime() const { return sinceReferenceDate + unixOffset; }
  static Date fromUnixTime(double seconds) { return {seconds - unixOffset}; }

  auto operator<=>(const Date &) const = default;
};

} // namespace ovalon
