#include "ScanRun.h"

#include "CliError.h"
#include "ProgressBar.h"
#include "SignalStop.h"
#include "library/ImageStaging.h"
#include "workflow/KeyCheck.h"

#include <map>

namespace ovalon::cli {

namespace {

std::string lines(const std::vector<std::string> &sentences) {
  std::string text;
  for (const std::string &sentence : sentences)
    text += (text.empty() ? "" : "\n") + sentence;
  return text;
}

// Why no sheet came of the scan, page problems counted by kind.
std::string nothingGraded(const GradingRun::Result &result) {
  std::map<std::string, int> titles;
  for (const ScanIssue &issue : result.assembly.issues)
    ++titles[issue.title()];
  std::string why;
  for (const auto &[title, count] : titles)
    why += (why.empty() ? ": " : "; ") + std::to_string(count) +
           (count == 1 ? " page: " : " pages: ") + title;
  return "No answer sheets were graded" + why + ". Nothing was saved.";
}

} // namespace

GradingRun::Reading readScans(const std::vector<ScanSource> &sources, const Exam &exam,
                              std::string title, std::stop_token stop, ImageStaging *pictures) {
  if (title.empty())
    title = "Reading " + GradingRun::scanName(sources) + "\u2026";
  ProgressBar bar(title);
  return GradingRun::read(
      sources, exam, [&bar](int done, int total) { bar.update(done, total); }, std::move(stop),
      pictures);
}

GradedRun gradeInto(const Workspace &workspace, const Uuid &examID,
                    const std::vector<std::filesystem::path> &scans, bool again, bool useKey) {
  std::vector<ScanSource> sources;
  for (const std::filesystem::path &scan : scans) {
    if (auto why = GradingRun::unopenable(scan))
      throw CliError::failed(*why);
    sources.push_back(ScanSource::file(scan));
  }
  auto loaded = workspace.library().load(examID);
  if (!loaded)
    throw CliError::failed(loaded.error().description());
  auto staging = ImageStaging::open(workspace.library(), examID);
  if (!staging)
    throw CliError::failed(staging.error());

  SignalStop stop;
  GradingRun::Reading reading =
      readScans(sources, loaded->document.exam, {}, stop.token(), &*staging);
  if (stop.requested())
    throw CliError::failed("Grading was stopped, so nothing was saved.");
  if (!reading.errors.empty())
    throw CliError::failed(lines(reading.errors));
  if (reading.pictureError)
    throw CliError::failed("The page pictures couldn\u2019t be stored. " + *reading.pictureError);

  GradedRun run;
  std::optional<std::string> refusal;
  run.document = workspace.update(
      examID,
      [&](ExamDocument &doc) {
        run.result = GradingRun::complete(std::move(reading), doc, again);
        const AssemblyResult &assembly = run.result.assembly;
        const bool keyUsed = run.result.key && useKey;
        if (assembly.sheets.empty() && !keyUsed) {
          if (!run.result.key && (!assembly.issues.empty() || run.result.skippedPages == 0))
            refusal = nothingGraded(run.result);
          return ExamLibrary::Edited::unchanged;
        }
        for (const auto &[picture, jpeg] : assembly.images)
          if (auto added = staging->add(picture, jpeg); !added)
            throw CliError::failed("The page pictures couldn\u2019t be stored. " + added.error());
        if (keyUsed)
          run.keyChanges =
              KeyCheck::applyKey(doc.exam, KeyCheck::cleanAnswers(*run.result.key, doc.exam));
        GradingRun::apply(std::move(run.result), doc);
        run.saved = true;
        return ExamLibrary::Edited::changed;
      },
      &*staging);
  if (refusal)
    throw CliError::failed(*refusal);
  return run;
}

} // namespace ovalon::cli
