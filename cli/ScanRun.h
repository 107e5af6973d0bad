#pragma once

#include "Workspace.h"
#include "workflow/GradingRun.h"

#include <filesystem>
#include <stop_token>
#include <string>
#include <vector>

namespace ovalon::cli {

// Reads scans the way every grading command does: a progress bar titled
// `title` on a terminal, "Reading <scan name>…" when none is given. Given
// `pictures`, page pictures go there as pages are read.
GradingRun::Reading readScans(const std::vector<ScanSource> &sources, const Exam &exam,
                              std::string title = {}, std::stop_token stop = {},
                              ImageStaging *pictures = nullptr);

// What grading scans into a test did.
struct GradedRun {
  GradingRun::Result result;
  ExamDocument document; // as saved, or as found when nothing was saved
  bool saved = false;
  int keyChanges = 0; // answers the scanned key changed (with `useKey`)
};

// Grades scan files into the test: every file is checked before any page is
// read, pages are read without holding the test (pictures staged as they
// finish), then the run is merged into the test's current document under its
// lock. Fails (exit 1, nothing written, no picture left) when a file can't be
// opened or read, when Ctrl-C stops it, or when no sheet could be graded
// (a scan holding only a key sheet, without `useKey`, returns unsaved for the
// caller to show the key); pages the test already holds are left out unless
// `again`, and a scan of only those is no failure.
GradedRun gradeInto(const Workspace &workspace, const Uuid &examID,
                    const std::vector<std::filesystem::path> &scans, bool again, bool useKey);

} // namespace ovalon::cli
