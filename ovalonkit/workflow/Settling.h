#pragma once

#include "library/ExamDocument.h"

#include <string>
#include <vector>

// Settles a review list the way a careful teacher would, for the sample class
// and for scripts that want a first pass before a person looks.
namespace ovalon::Settling {

// What was done about one open item, in words.
struct Step {
  std::string item;     // "Sheet 3 · Question 6"
  std::string decision; // "set to D, the darkest mark"
  bool settled = false; // false: left open, and `decision` says why

  bool operator==(const Step &) const = default;
};

// Faint and checked marks take the darkest mark; a double mark whose extra is
// clearly lighter (an erasure) takes the darkest, a true double is accepted as
// no answer; a blank row is blank; an unlisted or unclear ID goes to the
// roster student the name line matches as Likely. Anything else stays open.
// One step per open flag on an included sheet, in review order.
std::vector<Step> settle(ExamDocument &document);

} // namespace ovalon::Settling
