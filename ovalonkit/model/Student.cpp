#include "model/Student.h"

#include "model/TextCompare.h"

#include <algorithm>
#include <array>
#include <vector>

namespace ovalon {
namespace {

std::string joined(const std::string &a, std::string_view separator, const std::string &b) {
  if (a.empty())
    return b;
  if (b.empty())
    return a;
  return a + std::string(separator) + b;
}

// Words that start a last name when they stand between the first name and the last word:
// "van der Berg", "de la Cruz", "da Silva", "al Amin". Compared folded.
constexpr std::array<std::string_view, 27> particles{
    "van", "von", "der", "den", "de",    "del", "della", "dela", "di",
    "da",  "du",  "des", "la",  "le",    "ter", "ten",   "te",   "dos",
    "das", "do",  "zu",  "bin", "binti", "ibn", "al",    "el",   "st."};
constexpr std::array<std::string_view, 7> suffixes{"jr", "jr.", "sr", "sr.", "ii", "iii", "iv"};

template <size_t N>
bool isOneOf(std::string_view word, const std::array<std::string_view, N> &set) {
  return std::ranges::find(set, TextCompare::fold(word)) != set.end();
}

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::string word;
  for (char32_t c : TextCompare::codePoints(text)) {
    if (TextCompare::isWhiteSpace(c)) {
      if (!word.empty())
        out.push_back(std::move(word));
      word.clear();
    } else {
      word += TextCompare::utf8(std::u32string(1, c));
    }
  }
  if (!word.empty())
    out.push_back(std::move(word));
  return out;
}

std::string joinedWords(const std::vector<std::string> &list, size_t from, size_t to) {
  std::string text;
  for (size_t i = from; i < to; ++i)
    text += (text.empty() ? "" : " ") + list[i];
  return text;
}

// Where the last name starts among `list` (at least 2 words): at the earliest particle after
// the first word, else at the last word, or the word before it when that one is a suffix.
size_t lastNameStart(const std::vector<std::string> &list) {
  size_t last = list.size() - 1;
  if (last >= 2 && isOneOf(list[last], suffixes))
    --last;
  for (size_t i = 1; i < last; ++i)
    if (isOneOf(list[i], particles))
      return i;
  return last;
}

} // namespace

std::string Student::name() const {
  return joined(firstName, " ", lastName);
}

std::string Student::sortName() const {
  return joined(lastName, ", ", firstName);
}

Student Student::named(std::string id, std::string_view fullName) {
  Student student{std::move(id), "", ""};
  if (size_t comma = fullName.find(','); comma != std::string_view::npos) {
    const std::vector<std::string> given = words(fullName.substr(comma + 1));
    // "Berg, Liam van der": particles written after the first name lead the last name.
    size_t end = given.size();
    while (end > 1 && isOneOf(given[end - 1], particles))
      --end;
    student.firstName = joinedWords(given, 0, end);
    const std::vector<std::string> family = words(fullName.substr(0, comma));
    student.lastName = joinedWords(given, end, given.size());
    student.lastName = joined(student.lastName, " ", joinedWords(family, 0, family.size()));
    return student;
  }
  const std::vector<std::string> list = words(fullName);
  if (list.size() == 1)
    student.firstName = list[0];
  if (list.size() < 2)
    return student;
  const size_t start = lastNameStart(list);
  student.firstName = joinedWords(list, 0, start);
  student.lastName = joinedWords(list, start, list.size());
  return student;
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
