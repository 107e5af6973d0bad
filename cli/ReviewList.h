#pragma once

#include "library/ExamDocument.h"
#include "workflow/Review.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace ovalon::cli {

// The review list as the CLI shows it: numbered from 1, each item with its
// name (S3:Q6), state, title, sheet, question on version A, note and name
// suggestions.

// What a review item points at in the document.
struct Located {
  const ScannedSheet *sheet = nullptr;
  const ReviewFlag *flag = nullptr;
  const ScanIssue *issue = nullptr;
};

// Empty when an earlier decision of the same call took the item away (a page
// graded as a sheet, an ID flag a refresh settled).
std::optional<Located> locate(const ExamDocument &doc, const Review::Item &item);

// "open", "left out" or "settled: Set to D": how the list shows an item.
std::string state(const ExamDocument &doc, const Review::Item &item);

void printReviewList(const ExamDocument &doc, bool openOnly);
nlohmann::json reviewListJSON(const ExamDocument &doc, bool openOnly);

} // namespace ovalon::cli
