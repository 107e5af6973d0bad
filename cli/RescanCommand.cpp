#include "Commands.h"

#include "CliError.h"
#include "ScanRun.h"
#include "grading/Rescan.h"
#include "workflow/GradingRun.h"

#include <algorithm>
#include <iostream>

namespace ovalon::cli {

namespace {

struct Options {
  std::string name;
  int sheet = 0;
  std::vector<std::string> scans;
};

std::string lines(const std::vector<std::string> &sentences) {
  std::string text;
  for (const std::string &sentence : sentences)
    text += (text.empty() ? "" : "\n") + sentence;
  return text;
}

} // namespace

Runner addRescanCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "rescan", "Replace one graded sheet with a new scan of that student's pages, keeping its "
                "number and the review answers that still apply; the rest of the class isn't "
                "regraded");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("sheet", options->sheet, "The sheet's number, as ovalon-cli scores shows it")
      ->required();
  command->add_option("scans", options->scans, "PDF or image files of that student's pages")
      ->required();
  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.find(options->name);
    auto sheet = std::ranges::find(doc.sheets, options->sheet, &ScannedSheet::number);
    if (sheet == doc.sheets.end())
      throw CliError::usage("\u201C" + doc.exam.title + "\u201D has no sheet " +
                            std::to_string(options->sheet) + ".");
    const Uuid sheetID = sheet->id;

    std::vector<ScanSource> sources;
    for (const std::string &scan : options->scans)
      sources.push_back(ScanSource::file(scan));
    GradingRun::Reading reading = readScans(sources, doc.exam, "Reading the new scan\u2026");
    auto replaced = Rescan::replace(sheetID, doc.exam, doc.roster, doc.sheets, reading.outcomes);
    if (!replaced) {
      std::vector<std::string> why{"The sheet wasn\u2019t replaced",
                                   replaced.error().description()};
      why.insert(why.end(), reading.errors.begin(), reading.errors.end());
      throw CliError::failed(lines(why));
    }
    // The new pictures go in before the document points at them, and the old ones go only
    // once nothing points at them any more.
    if (auto saved = workspace.library().saveImages(replaced->images, doc.exam.id); !saved)
      throw CliError::failed(saved.error().description());
    workspace.save(doc);
    workspace.library().deleteImages(replaced->replacedImages, doc.exam.id);

    std::vector<std::string> report = replaced->summary.sentences();
    report.insert(report.end(), reading.errors.begin(), reading.errors.end());
    std::cout << "Sheet " << options->sheet << " replaced\n" << lines(report) << "\n";
  };
}

} // namespace ovalon::cli
