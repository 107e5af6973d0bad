#pragma once

#include <string>
#include <variant>

namespace ovalon {

// A short finding about one master question in the item analysis.
struct ItemNote {
  struct StrongDistractor {
    int choice; // master choice
    bool operator==(const StrongDistractor &) const = default;
  };
  struct UnusedDistractor {
    int choice; // master choice
    bool operator==(const UnusedDistractor &) const = default;
  };
  struct Hard {
    bool operator==(const Hard &) const = default;
  };
  struct Easy {
    bool operator==(const Easy &) const = default;
  };
  struct Negative {
    bool operator==(const Negative &) const = default;
  };
  std::variant<StrongDistractor, UnusedDistractor, Hard, Easy, Negative> finding;

  static ItemNote strongDistractor(int choice) { return {StrongDistractor{choice}}; }
  static ItemNote unusedDistractor(int choice) { return {UnusedDistractor{choice}}; }
  static ItemNote hard() { return {Hard{}}; }
  static ItemNote easy() { return {Easy{}}; }
  static ItemNote negative() { return {Negative{}}; }

  // The text shown with the question, without a final full stop.
  std::string text() const;

  bool operator==(const ItemNote &) const = default;
};

} // namespace ovalon
