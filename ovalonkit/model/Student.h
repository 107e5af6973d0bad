#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace ovalon {

// One student of a class roster.
struct Student {
  std::string id; // digits as imported, leading zeros kept
  std::string firstName;
  std::string lastName;

  // First and last name joined by a space, leaving out an empty part: the name printed on
  // pre-filled sheets and result slips.
  std::string name() const;

  // "Last, First", or whichever part is present: what lists of students sort by.
  std::string sortName() const;

  // A student from a full name as class lists write it. "Last, First" splits at the first
  // comma; otherwise the last word is the last name, together with the particles and
  // suffixes that belong to it ("Liam van der Berg", "Martin Luther King Jr."), and the
  // words before it are the first name. A single word is a first name.
  static Student named(std::string id, std::string_view fullName);

  // The key IDs are compared by: the digits without leading zeros ("00123" and "123" are the
  // same student), "0" for all zeros, and the text unchanged when it has no digit.
  static std::string idKey(std::string_view id);

  bool operator==(const Student &) const = default;
};

} // namespace ovalon

template <> struct std::hash<ovalon::Student> {
  size_t operator()(const ovalon::Student &student) const noexcept;
};
