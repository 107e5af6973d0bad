#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ovalon {

// A 128-bit identifier, written as canonical upper-case text with hyphens.
struct Uuid {
  std::array<uint8_t, 16> bytes{};

  // A fresh version-4 UUID from the system's random source.
  static Uuid random();

  // Accepts canonical text in either case; nothing for anything else.
  static std::optional<Uuid> parse(std::string_view text);

  // E621E1F8-C36C-495A-93FC-0C247A3E6E5F
  std::string text() const;

  auto operator<=>(const Uuid &) const = default;
};

// Eight bytes from the system's random source.
uint64_t randomSeed();

} // namespace ovalon

template <> struct std::hash<ovalon::Uuid> {
  size_t operator()(const ovalon::Uuid &uuid) const noexcept;
};
