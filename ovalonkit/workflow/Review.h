#pragma once

#include "library/ExamDocument.h"
#include "model/Bytes.h"

#include <expected>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
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

// Stable names of the items, one per item of `list`, that stay the same however
// the list grows: "S7:Q13" (sheet 7, question 13 as questionNumber gives it),
// "S22:id", "S5:pages" (a missing page), "scan.pdf#4" (page 4 of that file,
// not read). A name that would repeat gets "/2", "/3", … in list order.
std::vector<std::string> names(const ExamDocument &document, const std::vector<Item> &list);

// The item of `list` with that name (the "S…" part in any case); nothing
// when no item has it.
std::optional<Item> named(const ExamDocument &document, const std::vector<Item> &list,
                          std::string_view name);

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
// Picking a student on the flag that says a decided student has another sheet
// too changes the sheet's ID decision instead. False when the sheet or flag is
// not there.
bool resolve(ExamDocument &document, const Uuid &sheet, const Uuid &flag,
             std::optional<Resolution> resolution);

// Leaves a sheet out of the results or takes it back; taking it back reopens
// the flags that had left it out.
bool setExcluded(ExamDocument &document, const Uuid &sheet, bool excluded);

// Takes a sheet out of the test ("Remove Sheet"); other sheets' ID flags are
// refreshed, since a duplicate may be gone. The sheet's picture ids, to delete
// once the document is saved; nothing when there is no such sheet.
std::optional<std::vector<Uuid>> removeSheet(ExamDocument &document, const Uuid &sheet);

// The same for several sheets at once: all of them or, when one isn't there,
// none (nothing then).
std::optional<std::vector<Uuid>> removeSheets(ExamDocument &document,
                                              const std::vector<Uuid> &sheets);

// "Leave This Page Out", or with `dismissed` false, take it back into Review.
bool dismissIssue(ExamDocument &document, const Uuid &issue, bool dismissed = true);

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
