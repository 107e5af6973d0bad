#pragma once

#include "grading/ScannedSheet.h"
#include "grading/SheetScore.h"
#include "model/Exam.h"

#include <optional>
#include <vector>

// The one scoring rule: answers after the teacher's decisions, mapped through the sheet's
// version to master questions and choices, compared with the key. Excluded sheets are scored
// like any other; leaving them out is each consumer's business.
namespace ovalon::Scoring {

// The master choice given for each master question (questionCount entries); all absent when
// the sheet's version is not one of the test's.
std::vector<std::optional<int>> responses(const ScannedSheet &sheet, const Exam &exam);

SheetScore score(const ScannedSheet &sheet, const Exam &exam);

} // namespace ovalon::Scoring
