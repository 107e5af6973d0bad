#include "model/Student.h"

namespace ovalon {
namespace {

std::string joined(const std::string &a, std::string_view separator, const std::string &b) {
  if (a.empty())
    return b;
  if (b.empty())
    return a;
  return a + std::string(separator) + b;
}

} // namespace

std::string Student::name() const {
  return joined(firstName, " ", lastName);
}

std::string Student::sortName() const {
  return joined(lastName, ", ", firstName);
}

std::string Student::idKey(std::string_view id) {
  std::string digits;
  for (char c : id)
    if (c >= '0' && c <= '9')
      digits += c;
  if (digits.empty())
    return std::string(id);
  size_t firstNonZero = digits.find_first_not_of('0');
  return firstNonZero == std::string::npos ? "0" : digits.substr(firstNonZero);
}

} // namespace ovalon

size_t std::hash<ovalon::Student>::operator()(const ovalon::Student &student) const noexcept {
  std::hash<std::string> hash;
  size_t h = hash(student.id);
  h = h * 31 + hash(student.firstName);
  return h * 31 + hash(student.lastName);
}
