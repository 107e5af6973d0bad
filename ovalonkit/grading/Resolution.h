#pragma once

#include <string>
#include <variant>

namespace ovalon {

// The teacher's decision on one review flag. Any resolution closes its flag.
struct Resolution {
  struct Choice {
    int slot; // printed bubble slot
    bool operator==(const Choice &) const = default;
  };
  struct Student {
    std::string id;
    bool operator==(const Student &) const = default;
  };
  struct Blank {
    bool operator==(const Blank &) const = default;
  };
  struct Accept {
    bool operator==(const Accept &) const = default;
  };
  struct Exclude {
    bool operator==(const Exclude &) const = default;
  };
  std::variant<Choice, Blank, Student, Accept, Exclude> decision;

  static Resolution choice(int slot) { return {Choice{slot}}; }
  static Resolution blank() { return {Blank{}}; }
  static Resolution student(std::string id) { return {Student{std::move(id)}}; }
  static Resolution accept() { return {Accept{}}; }
  static Resolution exclude() { return {Exclude{}}; }

  // How the review list shows a decided flag: "Set to C", "ID 1042", "Left blank", …
  std::string label() const;

  bool operator==(const Resolution &) const = default;
};

} // namespace ovalon
