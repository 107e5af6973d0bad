#pragma once

#include <string>

namespace ovalon {

// One student of a class roster.
struct Student {
  std::string id; // digits as imported, leading zeros kept
  std::string firstName;
  std::string lastName;

  bool operator==(const Student &) const = default;
};

} // namespace ovalon
