#include "Commands.h"

#include "CliError.h"
#include "ReviewList.h"
#include "ScanRun.h"
#include "ScoreReport.h"
#include "grading/ItemAnalysis.h"
#include "library/FileIO.h"
#include "simulator/SampleClass.h"
#include "workflow/Exports.h"
#include "workflow/GradingRun.h"
#include "workflow/Settling.h"

#include <iostream>

namespace ovalon::cli {

namespace {

namespace fs = std::filesystem;

std::optional<ExamDocument> existingSample(const Workspace &workspace) {
  auto loaded = workspace.library().load(*Uuid::parse(SampleClass::testID));
  if (loaded)
    return std::move(loaded->document);
  if (loaded.error().kind != ExamLibrary::Failure::Kind::missing)
    throw CliError::failed(loaded.error().description());
  return std::nullopt;
}

ExamDocument createSample(const Workspace &workspace) {
  ExamDocument doc = ExamDocument::make(SampleClass::exam(Date::now()));
  doc.roster = SampleClass::roster();
  workspace.create(doc);
  std::cout << "Created \u201C" << doc.exam.title << "\u201D with " << doc.roster.students.size()
            << " students.\n";
  return doc;
}

void writeFile(const fs::path &path, const std::optional<Bytes> &bytes) {
  if (!bytes)
    throw CliError::failed("\u201C" + path.filename().string() +
                           "\u201D couldn\u2019t be made. Please try again.");
  if (auto written = FileIO::writeAtomically(path, *bytes); !written)
    throw CliError::failed(written.error());
  std::cout << "Wrote " << path.string() << "\n";
}

fs::path writeScan(const ExamDocument &doc, const fs::path &folder) {
  fs::path path = folder / SampleClass::scanFileName;
  writeFile(path, SampleClass::scanPDF(doc.exam, doc.roster));
  return path;
}

fs::path named(const fs::path &folder, const ExamDocument &doc, const std::string &suffix,
               const std::string &extension) {
  return folder / Exports::suggestedFileName(doc.exam.title + suffix, extension);
}

// The answer keys always; scores, slips and the report once nothing blocks them.
void writeExports(const ExamDocument &doc, const fs::path &folder) {
  writeFile(named(folder, doc, " Answer Keys", "pdf"), Exports::answerKeys(doc));
  if (auto blocked = Exports::blocker(doc)) {
    std::cout << "The scores, slips and report wait: " << *blocked << "\n";
    return;
  }
  writeFile(named(folder, doc, " Scores", "csv"), Exports::scores(doc, false));
  writeFile(named(folder, doc, " Result Slips", "pdf"),
            Exports::slips(doc, SlipLayout::onePerPage));
  writeFile(named(folder, doc, " Item Analysis", "pdf"), Exports::report(doc));
}

void settle(ExamDocument &doc, const Workspace &workspace) {
  std::vector<Settling::Step> steps;
  doc = workspace.update(doc.exam.id, [&steps](ExamDocument &current) {
    steps = Settling::settle(current);
    return steps.empty() ? ExamLibrary::Edited::unchanged : ExamLibrary::Edited::changed;
  });
  std::cout << "\nDecisions:\n";
  if (steps.empty())
    std::cout << "Nothing was open.\n";
  for (const Settling::Step &step : steps)
    std::cout << step.item << ": " << step.decision << "\n";
}

void printScores(const ExamDocument &doc) {
  std::cout << "\nScores:\n";
  printSheetScores(doc);
  printClassSummary(ItemAnalysis::analyze(doc.exam, doc.sheets).summary);
}

void grade(ExamDocument &doc, const fs::path &scan, const Workspace &workspace) {
  GradedRun run = gradeInto(workspace, doc.exam.id, {scan}, false, false);
  doc = std::move(run.document);
  std::cout << run.result.title << "\n" << run.result.detail << "\n";
}

} // namespace

Runner addSampleCommand(CLI::App &app) {
  struct Options {
    std::string out = "ovalon-sample";
    bool settle = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "sample", "Try the sample class: create the sample test, make its scan and grade it "
                "(once; later runs show where it stands), list what needs review and write "
                "the files");
  command->add_option("--out", options->out,
                      "Folder for the scan and the exports (default ./ovalon-sample)");
  command->add_flag("--settle", options->settle,
                    "Settle every open item as a careful teacher would, then export");
  return [options](const Workspace &workspace) {
    fs::path folder = options->out;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
      throw CliError::failed("Couldn\u2019t create the folder \u201C" + folder.string() +
                             "\u201D: " + error.message() + ".");
    std::optional<ExamDocument> sample = existingSample(workspace);
    ExamDocument doc = sample ? *sample : createSample(workspace);
    fs::path scan = writeScan(doc, folder);
    if (doc.sheets.empty()) {
      grade(doc, scan, workspace);
    } else {
      int open = Exports::openItemCount(doc);
      std::cout << "\u201C" << doc.exam.title << "\u201D is already graded: " << doc.sheets.size()
                << " sheets, " << open << (open == 1 ? " item" : " items") << " open in Review.\n";
    }
    std::cout << "\nReview:\n";
    printReviewList(doc, false);
    if (options->settle)
      settle(doc, workspace);
    std::cout << "\n";
    writeExports(doc, folder);
    printScores(doc);
  };
}

} // namespace ovalon::cli
