#include "ReviewList.h"

#include "scanning/NameMatcher.h"

#include <iostream>

namespace ovalon::cli {

namespace {

using nlohmann::json;

std::string state(const Located &at) {
  if (at.issue)
    return at.issue->dismissed ? "left out" : "open";
  if (at.sheet->excluded)
    return "left out";
  return at.flag->resolution ? "settled: " + at.flag->resolution->label() : "open";
}

bool isOpen(const Located &at) {
  return state(at) == "open";
}

std::optional<int> questionNumber(const ExamDocument &doc, const Located &at) {
  if (!at.flag)
    return std::nullopt;
  return Review::questionNumber(doc.exam, *at.sheet, *at.flag);
}

std::vector<NameMatch> suggestions(const ExamDocument &doc, const Located &at) {
  if (!at.flag || at.flag->kind != FlagKind::studentID)
    return {};
  return NameMatcher::match(at.sheet->name, doc.roster.students, 3);
}

json itemJSON(const ExamDocument &doc, size_t number, const std::string &name, const Located &at) {
  json out{{"item", number}, {"name", name}, {"state", state(at)}};
  if (at.issue) {
    out["kind"] = "issue";
    out["title"] = at.issue->title();
    out["note"] = at.issue->detail();
    out["source"] = at.issue->source;
    out["sourcePage"] = at.issue->sourcePage;
    return out;
  }
  out["kind"] = FlagKindInfo::rawValue(at.flag->kind);
  out["title"] = FlagKindInfo::title(at.flag->kind);
  out["sheet"] = at.sheet->number;
  out["note"] = at.flag->note;
  if (auto placement = at.sheet->placementNote())
    out["placement"] = *placement;
  if (auto q = questionNumber(doc, at))
    out["question"] = *q;
  json names = json::array();
  for (const NameMatch &m : suggestions(doc, at))
    names.push_back({{"id", m.student.id},
                     {"name", m.student.name()},
                     {"strength", NameMatch::rawValue(m.strength)}});
  if (!names.empty())
    out["suggestions"] = names;
  return out;
}

void printItem(const ExamDocument &doc, size_t number, const std::string &name, const Located &at) {
  std::cout << number << ". " << name << " [" << state(at) << "] ";
  if (at.issue) {
    std::cout << at.issue->title() << " \u00B7 " << at.issue->source << " page "
              << at.issue->sourcePage << " \u2014 " << at.issue->detail() << "\n";
    return;
  }
  std::cout << FlagKindInfo::title(at.flag->kind) << " \u00B7 Sheet " << at.sheet->number;
  if (auto q = questionNumber(doc, at))
    std::cout << " \u00B7 Question " << *q;
  std::cout << " \u2014 " << at.flag->note << "\n";
  if (auto placement = at.sheet->placementNote())
    std::cout << "     " << *placement << "\n";
  for (const NameMatch &m : suggestions(doc, at))
    std::cout << "     " << (m.strength == NameMatch::Strength::likely ? "Likely" : "Possible")
              << ": " << m.student.name() << " (" << m.student.id << ")\n";
}

} // namespace

std::optional<Located> locate(const ExamDocument &doc, const Review::Item &item) {
  if (auto *ref = std::get_if<Review::Item::Issue>(&item.target)) {
    auto issue = std::ranges::find(doc.issues, ref->issue, &ScanIssue::id);
    if (issue == doc.issues.end())
      return std::nullopt;
    return Located{nullptr, nullptr, &*issue};
  }
  const auto &ref = std::get<Review::Item::Flag>(item.target);
  auto sheet = std::ranges::find(doc.sheets, ref.sheet, &ScannedSheet::id);
  if (sheet == doc.sheets.end())
    return std::nullopt;
  auto flag = std::ranges::find(sheet->flags, ref.flag, &ReviewFlag::id);
  if (flag == sheet->flags.end())
    return std::nullopt;
  return Located{&*sheet, &*flag, nullptr};
}

std::string state(const ExamDocument &doc, const Review::Item &item) {
  auto at = locate(doc, item);
  return at ? state(*at) : "gone";
}

void printReviewList(const ExamDocument &doc, bool openOnly) {
  std::vector<Review::Item> items = Review::items(doc);
  std::vector<std::string> names = Review::names(doc, items);
  if (items.empty())
    std::cout << "Nothing to review.\n";
  for (size_t i = 0; i < items.size(); ++i)
    if (auto at = locate(doc, items[i]); at && (!openOnly || isOpen(*at)))
      printItem(doc, i + 1, names[i], *at);
}

json reviewListJSON(const ExamDocument &doc, bool openOnly) {
  std::vector<Review::Item> items = Review::items(doc);
  std::vector<std::string> names = Review::names(doc, items);
  json list = json::array();
  for (size_t i = 0; i < items.size(); ++i)
    if (auto at = locate(doc, items[i]); at && (!openOnly || isOpen(*at)))
      list.push_back(itemJSON(doc, i + 1, names[i], *at));
  return list;
}

} // namespace ovalon::cli
