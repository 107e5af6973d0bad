#include "Commands.h"

#include "CliError.h"
#include "ScanRun.h"
#include "model/Choices.h"
#include "scanning/KeyScan.h"

#include <iostream>

namespace ovalon::cli {

namespace {

struct Options {
  std::string name;
  std::vector<std::string> scans;
  bool useKey = false;
  bool again = false;
};

void printKey(const ScannedKey &key) {
  std::cout << "\nAnswer key read from " << key.source << " (version "
            << Choices::letter(key.version) << "):\n";
  for (const KeyRead &read : key.answers) {
    std::string answer = read.choice ? Choices::letter(*read.choice) : "–";
    std::string note = KeyScan::note(read);
    std::cout << "  " << read.question + 1 << ". " << answer << (note.empty() ? "" : "  " + note)
              << "\n";
  }
  if (key.extraSheets > 0)
    std::cout << "  " << key.extraSheets << " more key sheet" << (key.extraSheets == 1 ? "" : "s")
              << " in the scan " << (key.extraSheets == 1 ? "was" : "were") << " ignored.\n";
}

} // namespace

Runner addGradeCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "grade", "Grade scanned PDFs or images into the test and print the report; pages the test "
               "already holds (the same file's same page) are left out");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("scans", options->scans, "PDF or image files")->required();
  command->add_flag("--use-key", options->useKey,
                    "When the scan holds a bubbled answer-key sheet, use its clean answers");
  command->add_flag("--again", options->again,
                    "Grade pages again even when the test already holds them");
  return [options](const Workspace &workspace) {
    const Uuid id = workspace.locate(options->name).id;
    std::vector<std::filesystem::path> scans(options->scans.begin(), options->scans.end());
    GradedRun run = gradeInto(workspace, id, scans, options->again, options->useKey);
    const GradingRun::Result &result = run.result;
    std::cout << result.title << "\n" << result.detail << "\n";
    if (result.skippedPages > 0)
      std::cout << "To grade them again, add --again.\n";
    if (result.key) {
      printKey(*result.key);
      if (options->useKey)
        std::cout << "Used the key: " << run.keyChanges << " answer"
                  << (run.keyChanges == 1 ? "" : "s") << " changed.\n";
      else
        std::cout << "To use it, grade the key sheet on its own with --use-key.\n";
      if (!run.saved)
        throw CliError::failed("No student sheets were in the scan, so nothing was saved.");
    }
  };
}

} // namespace ovalon::cli
