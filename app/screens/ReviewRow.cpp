#include "screens/ReviewRow.h"

#include "model/Choices.h"

#include <algorithm>

namespace ovalon {

namespace {

// The list speaks of a decision briefly; the detail pane says more.
std::string settledText(const Resolution &resolution) {
  if (const auto *choice = std::get_if<Resolution::Choice>(&resolution.decision))
    return "Set to " + Choices::letter(choice->slot);
  if (std::holds_alternative<Resolution::Accept>(resolution.decision))
    return "Accepted";
  return "Settled";
}

} // namespace

std::optional<ReviewRow> ReviewRow::make(const ExamDocument &document, const Review::Item &item) {
  ReviewRow row;
  row.open = Review::isOpen(document, item);
  if (const auto *target = std::get_if<Review::Item::Issue>(&item.target)) {
    auto issue = std::ranges::find(document.issues, target->issue, &ScanIssue::id);
    if (issue == document.issues.end())
      return std::nullopt;
    row.kind = Kind::issue;
    row.title = "Pages Not Read";
    row.detail = issue->source + " p. " + std::to_string(issue->sourcePage) + ": " + issue->title();
    if (issue->dismissed)
      row.settled = "Left out";
    return row;
  }
  const auto &target = std::get<Review::Item::Flag>(item.target);
  auto sheet = std::ranges::find(document.sheets, target.sheet, &ScannedSheet::id);
  if (sheet == document.sheets.end())
    return std::nullopt;
  auto flag = std::ranges::find(sheet->flags, target.flag, &ReviewFlag::id);
  if (flag == sheet->flags.end())
    return std::nullopt;
  // A row that couldn't be lined up wears the page-problem badge: its picture needs a look.
  row.kind = flag->kind == FlagKind::unaligned ? Kind::issue
                                               : static_cast<Kind>(static_cast<int>(flag->kind));
  row.title = std::string(FlagKindInfo::title(flag->kind));
  row.detail = "Sheet " + std::to_string(sheet->number);
  if (auto question = Review::questionNumber(document.exam, *sheet, *flag))
    row.detail += " (Q" + std::to_string(*question) + " on version A)";
  // Whose sheet it might be is the first thing to know about a doubtful ID.
  if (flag->kind == FlagKind::studentID && sheet->name && !sheet->name->text.empty())
    row.detail += " \u00B7 \u201c" + sheet->name->text + "\u201d (read from the sheet)";
  if (sheet->excluded)
    row.settled = "Left out";
  else if (flag->resolution)
    row.settled = settledText(*flag->resolution);
  return row;
}

} // namespace ovalon
