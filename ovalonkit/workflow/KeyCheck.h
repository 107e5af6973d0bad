#pragma once

#include "model/Exam.h"
#include "scanning/ScannedKey.h"

#include <optional>
#include <vector>

// Putting a bubbled answer key into the test, once its answers are checked.
namespace ovalon::KeyCheck {

// One master choice per question: the clean reads of the key sheet; doubtful
// and missing rows have none, so the typed key keeps them.
std::vector<std::optional<int>> cleanAnswers(const ScannedKey &key, const Exam &exam);

// Each valid answer the key doesn't already accept becomes the question's only
// correct choice; points and dropped questions are left alone. The number of
// questions changed.
int applyKey(Exam &exam, const std::vector<std::optional<int>> &answers);

} // namespace ovalon::KeyCheck
