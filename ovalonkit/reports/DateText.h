#pragma once

#include "model/Date.h"

#include <string>

// Dates as the user's locale writes them, without the time of day, in the local time zone.
namespace ovalon::DateText {

// The long style: "December 6, 2026" in American English.
std::string longStyle(Date date);

// The abbreviated style: "Dec 6, 2026" in American English.
std::string abbreviated(Date date);

} // namespace ovalon::DateText
