#include "scanning/NameMatcher.h"

#include "model/TextCompare.h"

#include <algorithm>
#include <numeric>

namespace ovalon::NameMatcher {
namespace {

constexpr double minimumScore = 0.55;
constexpr double likelyScore = 0.8;
constexpr double likelyLead = 0.12;
// Scores are ratios of small integers times weights; this absorbs their rounding at the
// likely-lead boundary.
constexpr double tolerance = 1e-9;

// A name in normalised form, with and without its spaces: a recogniser may split or join
// words, so both are compared.
struct Spelling {
  std::u32string text;
  std::u32string compact;
};

Spelling spelling(std::u32string text) {
  std::u32string compact = text;
  std::erase(compact, U' ');
  return {std::move(text), std::move(compact)};
}

struct Form {
  Spelling spelling;
  double weight;
};

// Insertions, deletions and substitutions, each costing 1, with two rolling rows.
size_t levenshtein(std::u32string_view a, std::u32string_view b) {
  if (a.size() < b.size())
    std::swap(a, b);
  std::vector<size_t> previous(b.size() + 1), current(b.size() + 1);
  std::iota(previous.begin(), previous.end(), size_t{0});
  for (size_t i = 0; i < a.size(); ++i) {
    current[0] = i + 1;
    for (size_t j = 0; j < b.size(); ++j) {
      size_t substitution = previous[j] + (a[i] == b[j] ? 0 : 1);
      current[j + 1] = std::min({previous[j + 1] + 1, current[j] + 1, substitution});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

double similarity(std::u32string_view a, std::u32string_view b) {
  size_t longer = std::max(a.size(), b.size());
  if (longer == 0)
    return 1.0;
  return 1.0 - static_cast<double>(levenshtein(a, b)) / static_cast<double>(longer);
}

// The ways a student's name may be written in the box, each with how much a perfect match
// on it is worth: full names in either order, an initial with the other name, one name alone.
std::vector<Form> forms(const Student &student) {
  std::u32string first = TextCompare::codePoints(normalizeName(student.firstName));
  std::u32string last = TextCompare::codePoints(normalizeName(student.lastName));
  if (first.empty() && last.empty())
    return {};
  if (last.empty())
    return {{spelling(first), 1.0}};
  if (first.empty())
    return {{spelling(last), 1.0}};
  return {
      {spelling(first + U' ' + last), 1.0},
      {spelling(last + U' ' + first), 1.0},
      {spelling(first + U' ' + last.front()), 0.9},
      {spelling(first.front() + (U' ' + last)), 0.9},
      {spelling(first), 0.85},
      {spelling(last), 0.8},
  };
}

std::vector<Spelling> readings(const NameRead &read) {
  std::vector<std::string> seen;
  std::vector<Spelling> out;
  auto add = [&](const std::string &raw) {
    if (raw.empty() || std::ranges::find(seen, raw) != seen.end())
      return;
    seen.push_back(raw);
    std::u32string normalized = TextCompare::codePoints(normalizeName(raw));
    if (normalized.size() < 2)
      return;
    if (std::ranges::none_of(out, [&](const Spelling &s) { return s.text == normalized; }))
      out.push_back(spelling(std::move(normalized)));
  };
  add(read.text);
  for (const std::string &alternative : read.alternatives)
    add(alternative);
  return out;
}

double score(const std::vector<Spelling> &readings, const Student &student) {
  double best = 0;
  for (const Form &form : forms(student))
    for (const Spelling &reading : readings) {
      double s = std::max(similarity(reading.text, form.spelling.text),
                          similarity(reading.compact, form.spelling.compact));
      best = std::max(best, form.weight * s);
    }
  return best;
}

} // namespace

std::vector<NameMatch> match(const std::optional<NameRead> &read,
                             const std::vector<Student> &students, int limit) {
  if (!read || students.empty() || limit <= 0)
    return {};
  std::vector<Spelling> spellings = readings(*read);
  if (spellings.empty())
    return {};

  struct Ranked {
    const Student *student;
    double score;
    std::string sortName;
  };
  std::vector<Ranked> ranked;
  ranked.reserve(students.size());
  for (const Student &student : students)
    ranked.push_back({&student, score(spellings, student), student.sortName()});
  std::ranges::stable_sort(ranked, [](const Ranked &a, const Ranked &b) {
    if (a.score != b.score)
      return a.score > b.score;
    return TextCompare::localizedStandardCompare(a.sortName, b.sortName) < 0;
  });

  const Ranked &top = ranked.front();
  bool topIsLikely = top.score >= likelyScore - tolerance &&
                     (ranked.size() < 2 || top.score - ranked[1].score >= likelyLead - tolerance);

  std::vector<NameMatch> matches;
  for (size_t i = 0; i < ranked.size() && i < static_cast<size_t>(limit); ++i) {
    if (ranked[i].score < minimumScore)
      break;
    bool likely = i == 0 && topIsLikely;
    matches.push_back({*ranked[i].student, ranked[i].score,
                       likely ? NameMatch::Strength::likely : NameMatch::Strength::possible});
  }
  return matches;
}

std::string normalizeName(std::string_view text) {
  std::u32string folded = TextCompare::codePoints(TextCompare::fold(text));
  std::u32string kept;
  for (char32_t c : folded) {
    switch (c) {
    case U'0':
      c = U'o';
      break;
    case U'1':
    case U'|':
      c = U'l';
      break;
    case U'5':
      c = U's';
      break;
    case U'8':
      c = U'b';
      break;
    case U',':
    case U'.':
    case U'-':
    case U'_':
      c = U' ';
      break;
    default:
      if (TextCompare::isWhiteSpace(c))
        c = U' ';
    }
    if (c == U' ' ? !kept.empty() && kept.back() != U' ' : TextCompare::isLetter(c))
      kept.push_back(c);
  }
  if (!kept.empty() && kept.back() == U' ')
    kept.pop_back();
  return TextCompare::utf8(kept);
}

} // namespace ovalon::NameMatcher
