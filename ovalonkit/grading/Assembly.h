#pragma once

#include "grading/AssemblyResult.h"
#include "grading/PageOrigin.h"
#include "model/Exam.h"
#include "model/Student.h"
#include "scanning/PageOutcome.h"

#include <optional>
#include <string>
#include <vector>

namespace ovalon::Assembly {

// Groups the pages of one scan into numbered student sheets (page 1 opens a
// sheet, later pages of the same version join it), raises a review flag for
// every doubtful point and turns unusable pages into scan issues. The
// existing sheets are context only: numbering and duplicate IDs.
//
// `origins`, when given, has one entry per outcome: a page whose picture is
// already stored keeps that id (its preview isn't needed and its picture isn't
// in the result's images), and so do its ID and name pictures; sheets and
// issues note the digest of their file.
AssemblyResult assemble(const std::vector<PageOutcome> &outcomes, const Exam &exam,
                        const std::vector<Student> &students,
                        const std::vector<ScannedSheet> &existing,
                        const std::vector<PageOrigin> &origins = {});

// The same, taking the outcomes' pictures and crops instead of copying them.
AssemblyResult assemble(std::vector<PageOutcome> &&outcomes, const Exam &exam,
                        const std::vector<Student> &students,
                        const std::vector<ScannedSheet> &existing,
                        const std::vector<PageOrigin> &origins = {});

// Recomputes every open student-ID flag against the roster and the sheets
// before it. A decided ID flag is kept as it is, and so is a rescan's open
// different-student flag until the teacher decides it; a decided ID that an
// earlier sheet already counts for gets a second, open flag saying so, which
// goes again when the clash does.
std::vector<ScannedSheet> refreshIDFlags(std::vector<ScannedSheet> sheets, const Exam &exam,
                                         const std::vector<Student> &students);

// The one-line note of a mark flag, naming the marked slots strongest first.
std::string markNote(MarkFlag flag, const std::vector<double> &fills);

// The ID text of the ID columns: digits, "?" for unclear or inner blank columns.
std::string readID(const std::vector<MarkRead> &idColumns);

} // namespace ovalon::Assembly
