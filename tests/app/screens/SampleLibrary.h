#pragma once

#include <filesystem>

namespace ovalon::testing {

// Copies a library holding the sample class, made and graded once per test run, into
// `folder`, so each screen test starts from the graded class without grading it again.
void copyGradedSampleLibrary(const std::filesystem::path &folder);

} // namespace ovalon::testing
