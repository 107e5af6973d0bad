#include "workflow/Settling.h"

#include "model/Choices.h"
#include "scanning/NameMatcher.h"
#include "workflow/Review.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace ovalon::Settling {

namespace {

// A second mark at most this fraction of the darkest one's fill is taken for a
// rubbed-out answer rather than a second choice.
constexpr double erasedShare = 0.85;

struct Decision {
  std::optional<Resolution> resolution; // absent: leave open
  std::string words;
};

bool extraIsErased(const std::vector<double> &fills) {
  std::vector<double> sorted = fills;
  std::ranges::sort(sorted, std::greater{});
  return sorted.size() >= 2 && sorted[0] > 0 && sorted[1] <= erasedShare * sorted[0];
}

Decision darkest(const ReviewFlag &flag, const std::string &why) {
  if (!flag.suggestion)
    return {std::nullopt, "left open: no mark stands out"};
  return {Resolution::choice(*flag.suggestion),
          "set to " + Choices::letter(*flag.suggestion) + ", " + why};
}

Decision studentDecision(const ExamDocument &document, const ScannedSheet &sheet) {
  auto matches = NameMatcher::match(sheet.name, document.roster.students, 3);
  if (matches.empty() || matches.front().strength != NameMatch::Strength::likely)
    return {std::nullopt, "left open: the name line matches no roster student clearly"};
  const Student &student = matches.front().student;
  return {Resolution::student(student.id),
          "counted for " + student.name() + " (" + student.id + "), whom the name line matches"};
}

Decision decisionFor(const ExamDocument &document, const ScannedSheet &sheet,
                     const ReviewFlag &flag) {
  switch (flag.kind) {
  case FlagKind::faint:
    return darkest(flag, "the darkest mark");
  case FlagKind::double_:
    if (extraIsErased(flag.fills))
      return darkest(flag, "the darkest mark; the other looks erased");
    return {Resolution::accept(), "accepted as two answers, which score nothing"};
  case FlagKind::blank:
    return {Resolution::blank(), "left blank"};
  case FlagKind::studentID:
    return studentDecision(document, sheet);
  case FlagKind::missingPage:
    break;
  case FlagKind::unaligned:
    return {std::nullopt,
            "left open: the row couldn\u2019t be lined up, so its picture is yours to read"};
  }
  return {std::nullopt, "left open: whether to count the sheet without that page is yours"};
}

std::string itemName(const ExamDocument &document, const ScannedSheet &sheet,
                     const ReviewFlag &flag) {
  std::string name = "Sheet " + std::to_string(sheet.number);
  if (auto question = Review::questionNumber(document.exam, sheet, flag))
    name += " \u00B7 Question " + std::to_string(*question);
  return name;
}

} // namespace

std::vector<Step> settle(ExamDocument &document) {
  std::vector<Step> steps;
  for (const Review::Item &item : Review::items(document)) {
    const auto *ref = std::get_if<Review::Item::Flag>(&item.target);
    if (!ref)
      continue;
    auto sheet = std::ranges::find(document.sheets, ref->sheet, &ScannedSheet::id);
    if (sheet == document.sheets.end() || sheet->excluded)
      continue;
    auto flag = std::ranges::find(sheet->flags, ref->flag, &ReviewFlag::id);
    // An earlier ID decision can refresh a later sheet's ID flag away.
    if (flag == sheet->flags.end() || flag->resolution)
      continue;
    Decision decision = decisionFor(document, *sheet, *flag);
    steps.push_back(
        {itemName(document, *sheet, *flag), decision.words, decision.resolution.has_value()});
    if (decision.resolution)
      Review::resolve(document, sheet->id, flag->id, decision.resolution);
  }
  return steps;
}

} // namespace ovalon::Settling
