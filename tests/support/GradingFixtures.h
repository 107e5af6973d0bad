#pragma once

#include "grading/ScannedSheet.h"
#include "model/Exam.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ovalon::fixtures {

// A test of `questions` questions whose key is one choice per question (`answers`, A = 0),
// one point each. Questions beyond `answers` stay unkeyed.
Exam examWithKey(int questions, int choices, const std::vector<int> &answers);

// A clean reading: one bubble filled dark, the others empty.
MarkRead clearMark(int choices, int slot);
// Two bubbles filled, the first darker.
MarkRead doubleMark(int choices, int first, int second);

// A sheet of printed answers on `version`: a slot gives a clear mark, nothing a blank row with
// an open blank flag. The read ID is `readID` with no ID flag.
ScannedSheet sheetAnswering(const Exam &exam, const std::vector<std::optional<int>> &printed,
                            int version = 0, std::string readID = "");

// An open flag on a printed row, its fills taken from the sheet's mark.
ReviewFlag markFlag(const ScannedSheet &sheet, FlagKind kind, int position);

// An open flag of a kind without position (student ID or missing page).
ReviewFlag sheetFlag(FlagKind kind, std::string note = "");

} // namespace ovalon::fixtures
