#pragma once

#include "library/ExamDocument.h"

#include <optional>
#include <string>

// What a document read from disk must hold before anything works with it.
// Everything the program keeps true while it edits a test is checked here too,
// so that a damaged or hand-edited file is refused with a reason instead of
// crashing, hanging or scoring nonsense further on.
namespace ovalon::DocumentCheck {

// Bounds on what one document may hold; far beyond any class, well within what
// the program can hold in memory.
inline constexpr size_t maxStudents = 20'000;
inline constexpr size_t maxSheets = 100'000;
inline constexpr size_t maxIssues = 100'000;
inline constexpr size_t maxText = 10'000;        // bytes of a name, source or note
inline constexpr size_t maxPicture = 16'000'000; // bytes of one crop

// The first thing the document breaks, as a sentence ("Sheet 4 has 30 marks
// for 20 questions."), or nothing when it is sound: the test's own rules
// (Exam::brokenRule), then the roster, the sheets (one mark per question,
// choices and positions of this test, flags that fit their kind, no two
// sheets or flags with one id) and the scan issues.
std::optional<std::string> problem(const ExamDocument &document);

} // namespace ovalon::DocumentCheck
