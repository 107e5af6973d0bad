#pragma once

#include <array>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace ovalon::Choices {

// Choice and version letters; five of them is why a question stops at E.
inline constexpr std::array<std::string_view, 5> letters{"A", "B", "C", "D", "E"};

// "A" to "E", or "?" outside 0…4.
std::string letter(int index);

// 0…4 for a letter in either case, nothing otherwise.
std::optional<int> index(std::string_view text);

// Members ascending as letters joined with "/": {2, 0} gives "A/C".
std::string text(const std::set<int> &choices);

} // namespace ovalon::Choices
