#include "model/DocumentParts.h"

#include <algorithm>
#include <map>

namespace ovalon::DocumentParts {

namespace {

// Each element by id, so a sheet that moved in the list is still the same sheet.
template <typename Item>
void changedByID(const std::vector<Item> &before, const std::vector<Item> &after,
                 const std::string &kind, std::set<std::string> &parts) {
  std::map<Uuid, const Item *> old;
  for (const Item &item : before)
    old[item.id] = &item;
  for (const Item &item : after) {
    auto found = old.find(item.id);
    if (found == old.end() || *found->second != item)
      parts.insert(kind + " " + item.id.text());
    if (found != old.end())
      old.erase(found);
  }
  for (const auto &[id, item] : old)
    parts.insert(kind + " " + id.text());
}

} // namespace

std::set<std::string> changed(const ExamDocument &before, const ExamDocument &after) {
  std::set<std::string> parts;
  const Exam &a = before.exam, &b = after.exam;
  if (a.title != b.title)
    parts.insert("title");
  if (a.questionCount != b.questionCount || a.choiceCount != b.choiceCount ||
      a.idDigits != b.idDigits || a.paper != b.paper)
    parts.insert("layout");
  for (size_t q = 0; q < std::max(a.key.size(), b.key.size()); ++q)
    if (q >= a.key.size() || q >= b.key.size() || a.key[q] != b.key[q])
      parts.insert("key " + std::to_string(q + 1));
  if (a.versions != b.versions || a.shuffleChoices != b.shuffleChoices || a.seed != b.seed)
    parts.insert("versions");
  if (before.roster != after.roster)
    parts.insert("roster");
  // A decision on one flag and a decision on another flag of the same sheet don't meet.
  auto withoutFlags = [](std::vector<ScannedSheet> sheets) {
    for (ScannedSheet &sheet : sheets)
      sheet.flags.clear();
    return sheets;
  };
  auto flagsOf = [](const std::vector<ScannedSheet> &sheets) {
    std::vector<ReviewFlag> flags;
    for (const ScannedSheet &sheet : sheets)
      flags.insert(flags.end(), sheet.flags.begin(), sheet.flags.end());
    return flags;
  };
  changedByID(withoutFlags(before.sheets), withoutFlags(after.sheets), "sheet", parts);
  changedByID(flagsOf(before.sheets), flagsOf(after.sheets), "flag", parts);
  changedByID(before.issues, after.issues, "issue", parts);
  return parts;
}

bool collide(const ExamDocument &base, const ExamDocument &ours, const ExamDocument &theirs) {
  std::set<std::string> mine = changed(base, ours), others = changed(base, theirs);
  return std::ranges::any_of(mine, [&](const std::string &part) { return others.contains(part); });
}

} // namespace ovalon::DocumentParts
