#pragma once

#include "grading/AssemblyResult.h"
#include "model/Exam.h"
#include "model/Student.h"
#include "scanning/PageOutcome.h"

#include <string>
#include <vector>

namespace ovalon::Assembly {

// Groups the pages of one scan into numbered student sheets (page 1 opens a
// sheet, later pages of the same version join it), raises a review flag for
// every doubtful point and turns unusable pages into scan issues. The
// existing sheets are context only: numbering and duplicate IDs.
AssemblyResult assemble(const std::vector<PageOutcome> &outcomes, const Exam &exam,
                        const std::vector<Student> &students,
                        const std::vector<ScannedSheet> &existing);

// Recomputes every open student-ID flag against the roster and the sheets
// before it; decided ID flags are kept as they are.
std::vector<ScannedSheet> refreshIDFlags(std::vector<ScannedSheet> sheets, const Exam &exam,
                                         const std::vector<Student> &students);

// The one-line note of a mark flag, naming the marked slots strongest first.
std::string markNote(MarkFlag flag, const std::vector<double> &fills);

// The ID text of the ID columns: digits, "?" for unclear or inner blank columns.
std::string readID(const std::vector<MarkRead> &idColumns);

} // namespace ovalon::Assembly
