#pragma once

#include "model/Exam.h"
#include "scanning/KeyScanError.h"
#include "scanning/PageOutcome.h"
#include "scanning/ScannedKey.h"

#include <expected>
#include <string>
#include <vector>

namespace ovalon::KeyScan {

// The first readable sheet of the test in a scan, every question mapped back
// to its master question and choice.
std::expected<ScannedKey, KeyScanError> readKey(const std::vector<PageOutcome> &outcomes,
                                                const Exam &exam);

// What the teacher is told about a row; empty for a clean one.
std::string note(const KeyRead &read);

} // namespace ovalon::KeyScan
