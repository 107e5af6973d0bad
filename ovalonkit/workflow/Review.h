#pragma once

#include "library/ExamDocument.h"
#include "model/Bytes.h"

#include <expected>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ovalon::Review {

// One entry of the review list: a flag on a sheet, or a page that couldn't be graded.
struct Item {
  struct Flag {
    Uuid sheet;
    Uuid flag;
    bool operator==(const Flag &) const = default;
  };
  struct Issue {
    Uuid issue;
    bool operator==(const Issue &) const = default;
  };
  std::variant<Flag, Issue> target;
  bool operator==(const Item &) const = default;
};

// Scan issues first (dismissed ones included), then every flag of every sheet by
// sheet number, in each sheet's flag order, excluded sheets included.
std::vector<Item> items(const ExamDocument &document);

// Whether an item still waits for the teacher: a flag without a decision on a sheet
// that counts, or a page not left out. Items no longer in the document are not open.
bool isOpen(const ExamDocument &document, const Item &item);

// The item after `from` in `list` that `accept` takes, wrapping around; with no
// `from` (or one not in the list) the first it takes. Nothing when it takes none.
// Backward when `forward` is false.
std::optional<Item> step(const std::vector<Item> &list, const std::optional<Item> &from,
                         bool forward, const std::function<bool(const Item &)> &accept);

// A mark flag's question as version A numbers it (its master question, from 1).
std::optional<int> questionNumber(const Exam &exam, const ScannedSheet &sheet,
                                  const ReviewFlag &flag);

// Records (or, with nothing, clears) the decision on a flag. Leaving a sheet out
// excludes it; ID decisions and exclusions refresh every sheet's ID flags.
// False when the sheet or flag is not there.
bool resolve(ExamDocument &document, const Uuid &sheet, const Uuid &flag,
             std::optional<Resolution> resolution);

// Leaves a sheet out of the results or takes it back; taking it back reopens
// the flags that had left it out.
bool setExcluded(ExamDocument &document, const Uuid &sheet, bool excluded);

// Takes a sheet out of the test ("Remove Sheet"); other sheets' ID flags are
// refreshed, since a duplicate may be gone. The sheet's picture ids, to delete;
// nothing when there is no such sheet.
std::optional<std::vector<Uuid>> removeSheet(ExamDocument &document, const Uuid &sheet);

// "Leave This Page Out".
bool dismissIssue(ExamDocument &document, const Uuid &issue);

// The pictures a page read as a sheet brings in and the one it retires.
struct Regrade {
  std::map<Uuid, Bytes> images; // JPEG by picture id, to store
  std::optional<Uuid> retired;  // the issue's own picture, to delete
};

// "Grade as Version": reads an issue's stored page as page 1 of `version`,
// upright, and puts the sheet it makes in place of the issue. On failure, the
// sentence that says why, and the document is unchanged.
std::expected<Regrade, std::string> gradeIssueAsVersion(ExamDocument &document, const Uuid &issue,
                                                        int version, const Bytes &pageImage);

} // namespace ovalon::Review
