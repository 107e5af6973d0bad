#pragma once

#include "model/Student.h"

#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// The class list of one test, in file order.
struct Roster {
  std::vector<Student> students;
  std::optional<std::string> sourceName;

  bool operator==(const Roster &) const = default;
};

} // namespace ovalon
