#pragma once

#include "library/ExamDocument.h"

#include <set>
#include <string>

// The parts of a test two programs can change independently: its title, its
// layout, each question's key, its versions, its roster, each sheet and each
// unread page. An edit made here and one made elsewhere meet only when they
// changed a common part.
namespace ovalon::DocumentParts {

// The parts that differ between two copies of one test.
std::set<std::string> changed(const ExamDocument &before, const ExamDocument &after);

// Whether the changes from `base` to `ours` and from `base` to `theirs` touch a
// common part.
bool collide(const ExamDocument &base, const ExamDocument &ours, const ExamDocument &theirs);

// `theirs` with every part that changed from `base` to `ours` taken from `ours`:
// our edits re-applied to a copy someone else changed meanwhile. Where both
// changed one part, ours wins.
ExamDocument merge(const ExamDocument &base, const ExamDocument &ours, const ExamDocument &theirs);

} // namespace ovalon::DocumentParts
