#include "grading/ScannedSheet.h"

#include <algorithm>

namespace ovalon {

std::vector<Uuid> ScannedSheet::pictures() const {
  std::vector<Uuid> all = pageImages;
  for (const std::optional<Uuid> &crop : {idImage, nameImage})
    if (crop)
      all.push_back(*crop);
  return all;
}

std::vector<std::optional<int>> ScannedSheet::answers() const {
  std::vector<std::optional<int>> result;
  result.reserve(marks.size());
  for (const MarkRead &mark : marks)
    result.push_back(mark.choice);
  // Decisions apply in list order, so a later decision on the same row wins.
  for (const ReviewFlag &flag : flags) {
    if (!flag.position || !flag.resolution || *flag.position < 0 ||
        *flag.position >= static_cast<int>(result.size()))
      continue;
    auto &answer = result[static_cast<size_t>(*flag.position)];
    if (const auto *choice = std::get_if<Resolution::Choice>(&flag.resolution->decision))
      answer = choice->slot;
    else if (std::holds_alternative<Resolution::Blank>(flag.resolution->decision))
      answer.reset();
  }
  return result;
}

std::vector<ReviewFlag> ScannedSheet::openFlags() const {
  std::vector<ReviewFlag> open;
  if (excluded)
    return open;
  std::ranges::copy_if(flags, std::back_inserter(open),
                       [](const ReviewFlag &flag) { return !flag.resolution.has_value(); });
  return open;
}

std::optional<std::string> ScannedSheet::studentID() const {
  std::optional<std::string> base;
  if (!readID.empty() && readID.find('?') == std::string::npos)
    base = readID;
  auto idFlag = std::ranges::find(flags, FlagKind::studentID, &ReviewFlag::kind);
  if (idFlag == flags.end())
    return base;
  if (!idFlag->resolution)
    return std::nullopt;
  if (const auto *student = std::get_if<Resolution::Student>(&idFlag->resolution->decision))
    return student->id;
  if (std::holds_alternative<Resolution::Accept>(idFlag->resolution->decision))
    return base;
  return std::nullopt;
}

std::optional<std::string> ScannedSheet::placementNote() const {
  std::vector<int> placed;
  for (size_t i = 0; i < cornerMethods.size() && i < sourcePages.size(); ++i)
    if (cornerMethods[i] == CornerMethod::threeCorners)
      placed.push_back(sourcePages[i]);
  if (placed.empty())
    return std::nullopt;
  if (sourcePages.size() == 1)
    return "A corner square was missing, so the page was placed from the other three.";
  std::string pages;
  for (size_t i = 0; i < placed.size(); ++i)
    pages += (i == 0 ? "" : i + 1 == placed.size() ? " and " : ", ") + std::to_string(placed[i]);
  return placed.size() == 1 ? "A corner square was missing on scan page " + pages +
                                  ", so that page was placed from the other three."
                            : "A corner square was missing on scan pages " + pages +
                                  ", so those pages were placed from the other three.";
}

} // namespace ovalon
