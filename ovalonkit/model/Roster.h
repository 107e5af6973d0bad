#pragma once

#include "model/Student.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovalon {

// The class list of one test, in file order.
struct Roster {
  std::vector<Student> students;
  std::optional<std::string> sourceName;

  // The first student whose ID has the same key as `id` (leading zeros do not matter).
  std::optional<Student> student(std::string_view matchingID) const;

  // The most characters in any student's ID; 0 for an empty roster.
  int longestID() const;

  // The students by sort name ("Last, First"), case-insensitive with numbers by value;
  // students with equal sort names keep their file order.
  std::vector<Student> sorted() const;

  bool operator==(const Roster &) const = default;
};

} // namespace ovalon
