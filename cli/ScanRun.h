#pragma once

#include "Workspace.h"
#include "workflow/GradingRun.h"

#include <string>
#include <vector>

namespace ovalon::cli {

// Reads scans the way every grading command does: a progress bar titled
// `title` on a terminal, "Reading <scan name>…" when none is given.
GradingRun::Reading readScans(const std::vector<ScanSource> &sources, const Exam &exam,
                              std::string title = {});

// Completes a run into the document: its pictures are stored first, so the
// sheets never point at pictures that aren't there. The caller saves the document.
GradingRun::Result storeRun(const GradingRun::Reading &reading, ExamDocument &doc,
                            const Workspace &workspace);

} // namespace ovalon::cli
