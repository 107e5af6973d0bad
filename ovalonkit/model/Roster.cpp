#include "model/Roster.h"

#include "model/TextCompare.h"

#include <algorithm>

namespace ovalon {

std::optional<Student> Roster::student(std::string_view matchingID) const {
  std::string key = Student::idKey(matchingID);
  for (const Student &student : students)
    if (Student::idKey(student.id) == key)
      return student;
  return std::nullopt;
}

int Roster::longestID() const {
  size_t longest = 0;
  for (const Student &student : students)
    longest = std::max(longest, TextCompare::codePoints(student.id).size());
  return static_cast<int>(longest);
}

std::vector<Student> Roster::sorted() const {
  struct Entry {
    std::string sortName;
    const Student *student;
  };
  std::vector<Entry> entries;
  entries.reserve(students.size());
  for (const Student &student : students)
    entries.push_back({student.sortName(), &student});
  std::ranges::stable_sort(entries, [](const Entry &a, const Entry &b) {
    return TextCompare::localizedStandardCompare(a.sortName, b.sortName) < 0;
  });
  std::vector<Student> ordered;
  ordered.reserve(entries.size());
  for (const Entry &entry : entries)
    ordered.push_back(*entry.student);
  return ordered;
}

} // namespace ovalon
