#include "ScanRun.h"

#include "CliError.h"
#include "ProgressBar.h"

namespace ovalon::cli {

GradingRun::Reading readScans(const std::vector<ScanSource> &sources, const Exam &exam,
                              std::string title) {
  if (title.empty())
    title = "Reading " + GradingRun::scanName(sources) + "\u2026";
  ProgressBar bar(title);
  return GradingRun::read(sources, exam, [&bar](int done, int total) { bar.update(done, total); });
}

GradingRun::Result storeRun(const GradingRun::Reading &reading, ExamDocument &doc,
                            const Workspace &workspace) {
  GradingRun::Result result = GradingRun::complete(reading, doc);
  if (auto saved = workspace.library().saveImages(result.assembly.images, doc.exam.id); !saved)
    throw CliError::failed(saved.error().description());
  GradingRun::apply(result, doc);
  return result;
}

} // namespace ovalon::cli
