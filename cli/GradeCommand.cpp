#include "Commands.h"

#include "CliError.h"
#include "ScanRun.h"
#include "model/Choices.h"
#include "scanning/KeyScan.h"
#include "workflow/GradingRun.h"
#include "workflow/KeyCheck.h"

#include <iostream>

namespace ovalon::cli {

namespace {

struct Options {
  std::string name;
  std::vector<std::string> scans;
  bool useKey = false;
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
      "grade", "Grade scanned PDFs or images into the test and print the report");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("scans", options->scans, "PDF or image files")->required();
  command->add_flag("--use-key", options->useKey,
                    "When the scan holds a bubbled answer-key sheet, use its clean answers");
  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.find(options->name);
    std::vector<ScanSource> sources;
    for (const std::string &scan : options->scans)
      sources.push_back(ScanSource::file(scan));
    GradingRun::Reading reading = readScans(sources, doc.exam);
    GradingRun::Result result = storeRun(reading, doc, workspace);
    int keyChanges = 0;
    if (result.key && options->useKey)
      keyChanges = KeyCheck::applyKey(doc.exam, KeyCheck::cleanAnswers(*result.key, doc.exam));
    workspace.save(doc);
    std::cout << result.title << "\n" << result.detail << "\n";
    if (result.key) {
      printKey(*result.key);
      if (options->useKey)
        std::cout << "Used the key: " << keyChanges << " answer" << (keyChanges == 1 ? "" : "s")
                  << " changed.\n";
      else
        std::cout << "To use it, grade the key sheet on its own with --use-key.\n";
    }
  };
}

} // namespace ovalon::cli
