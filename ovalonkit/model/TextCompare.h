#pragma once

#include <compare>
#include <string>
#include <string_view>

namespace ovalon::TextCompare {

// The order people expect in a list of names: case-insensitive, accents second to letters,
// and digits compared by value ("Room 9" before "Room 10"). Uses the user's locale.
std::weak_ordering localizedStandardCompare(std::string_view a, std::string_view b);

// Case-, diacritic- and width-insensitive form of a text: "Ｊosé" and "JOSE" fold alike.
std::string fold(std::string_view text);

// Unicode code points of UTF-8 text; malformed bytes become U+FFFD.
std::u32string codePoints(std::string_view text);

// UTF-8 text of code points; values that are not scalar values become U+FFFD.
std::string utf8(std::u32string_view codePoints);

// Unicode general category L (any script's letters).
bool isLetter(char32_t c);

// The Unicode White_Space property: spaces, tabs, line breaks, no-break spaces…
bool isWhiteSpace(char32_t c);

} // namespace ovalon::TextCompare
