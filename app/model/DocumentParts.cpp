#include "model/DocumentParts.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>

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

// Puts `ours`'s element with this id into `theirs` where it was, or at the end;
// drops it from `theirs` when `ours` no longer has it.
template <typename Item>
void takeByID(const Uuid &id, const std::vector<Item> &ours, std::vector<Item> &theirs) {
  auto mine = std::ranges::find(ours, id, &Item::id);
  auto other = std::ranges::find(theirs, id, &Item::id);
  if (mine == ours.end()) {
    if (other != theirs.end())
      theirs.erase(other);
  } else if (other != theirs.end()) {
    *other = *mine;
  } else {
    theirs.push_back(*mine);
  }
}

const ScannedSheet *sheetHolding(const std::vector<ScannedSheet> &sheets, const Uuid &flagID) {
  for (const ScannedSheet &sheet : sheets)
    if (std::ranges::find(sheet.flags, flagID, &ReviewFlag::id) != sheet.flags.end())
      return &sheet;
  return nullptr;
}

void takeFlag(const Uuid &flagID, const std::vector<ScannedSheet> &ours,
              std::vector<ScannedSheet> &theirs) {
  const ScannedSheet *mine = sheetHolding(ours, flagID);
  for (ScannedSheet &sheet : theirs) {
    auto flag = std::ranges::find(sheet.flags, flagID, &ReviewFlag::id);
    if (flag == sheet.flags.end())
      continue;
    // In place where it is, so review items keep their order.
    if (mine && sheet.id == mine->id) {
      *flag = *std::ranges::find(mine->flags, flagID, &ReviewFlag::id);
      return;
    }
    sheet.flags.erase(flag);
  }
  if (!mine)
    return;
  auto sheet = std::ranges::find(theirs, mine->id, &ScannedSheet::id);
  if (sheet != theirs.end())
    sheet->flags.push_back(*std::ranges::find(mine->flags, flagID, &ReviewFlag::id));
}

std::vector<ReviewFlag> flagsOf(const std::vector<ScannedSheet> &sheets) {
  std::vector<ReviewFlag> flags;
  for (const ScannedSheet &sheet : sheets)
    flags.insert(flags.end(), sheet.flags.begin(), sheet.flags.end());
  return flags;
}

// The ids of `ours` in order, then those only `base` has.
template <typename Item>
std::vector<Uuid> idsInOrder(const std::vector<Item> &ours, const std::vector<Item> &base) {
  std::vector<Uuid> ids;
  for (const Item &item : ours)
    ids.push_back(item.id);
  for (const Item &item : base)
    if (std::ranges::find(ours, item.id, &Item::id) == ours.end())
      ids.push_back(item.id);
  return ids;
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
  changedByID(withoutFlags(before.sheets), withoutFlags(after.sheets), "sheet", parts);
  changedByID(flagsOf(before.sheets), flagsOf(after.sheets), "flag", parts);
  changedByID(before.issues, after.issues, "issue", parts);
  return parts;
}

bool collide(const ExamDocument &base, const ExamDocument &ours, const ExamDocument &theirs) {
  std::set<std::string> mine = changed(base, ours), others = changed(base, theirs);
  return std::ranges::any_of(mine, [&](const std::string &part) { return others.contains(part); });
}

ExamDocument merge(const ExamDocument &base, const ExamDocument &ours, const ExamDocument &theirs) {
  std::set<std::string> mine = changed(base, ours);
  ExamDocument merged = theirs;
  if (mine.empty())
    return merged;
  Exam &exam = merged.exam;
  if (mine.contains("title"))
    exam.title = ours.exam.title;
  // A new layout reshapes the key and the versions, so they come with it.
  if (mine.contains("layout")) {
    exam.questionCount = ours.exam.questionCount;
    exam.choiceCount = ours.exam.choiceCount;
    exam.idDigits = ours.exam.idDigits;
    exam.paper = ours.exam.paper;
    exam.key = ours.exam.key;
    mine.insert("versions");
  }
  if (mine.contains("versions")) {
    exam.versions = ours.exam.versions;
    exam.shuffleChoices = ours.exam.shuffleChoices;
    exam.seed = ours.exam.seed;
  }
  if (mine.contains("roster"))
    merged.roster = ours.roster;
  if (!mine.contains("layout"))
    for (size_t q = 0; q < std::min(ours.exam.key.size(), exam.key.size()); ++q)
      if (mine.contains("key " + std::to_string(q + 1)))
        exam.key[q] = ours.exam.key[q];
  // In our order, so new sheets and issues keep the order they were made in;
  // then what we removed. Flags after sheets: a new sheet brings its flags, a
  // changed one keeps theirs until they are taken one by one.
  for (const Uuid &id : idsInOrder(ours.sheets, base.sheets)) {
    if (!mine.contains("sheet " + id.text()))
      continue;
    auto kept = std::ranges::find(theirs.sheets, id, &ScannedSheet::id);
    takeByID(id, ours.sheets, merged.sheets);
    auto sheet = std::ranges::find(merged.sheets, id, &ScannedSheet::id);
    if (sheet != merged.sheets.end() && kept != theirs.sheets.end())
      sheet->flags = kept->flags;
  }
  for (const Uuid &id : idsInOrder(ours.issues, base.issues))
    if (mine.contains("issue " + id.text()))
      takeByID(id, ours.issues, merged.issues);
  for (const Uuid &id : idsInOrder(flagsOf(ours.sheets), flagsOf(base.sheets)))
    if (mine.contains("flag " + id.text()))
      takeFlag(id, ours.sheets, merged.sheets);
  merged.modified = std::max(ours.modified, theirs.modified);
  return merged;
}

} // namespace ovalon::DocumentParts
