#pragma once

#include "model/Student.h"
#include "scanning/NameMatch.h"
#include "scanning/NameRead.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovalon::NameMatcher {

// The roster students that best match a handwritten name, best first, at most `limit` of
// them and none scoring below 0.55. Tolerates the recogniser's usual confusions (5 for s,
// 1 for l), swapped name order and initials. Empty without a reading or students.
std::vector<NameMatch> match(const std::optional<NameRead> &read,
                             const std::vector<Student> &students, int limit);

// The form names are compared in: folded case, accents and width, look-alike digits read as
// letters, punctuation as spaces, only letters and single spaces left.
std::string normalizeName(std::string_view text);

} // namespace ovalon::NameMatcher
