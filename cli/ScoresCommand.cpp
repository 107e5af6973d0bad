#include "Commands.h"

#include "ScoreReport.h"

#include <iostream>

namespace ovalon::cli {

Runner addScoresCommand(CLI::App &app) {
  struct Options {
    std::string name;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "scores", "Scores of the graded sheets, the class summary and the item analysis");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_flag("--json", options->json, "Print one JSON object");
  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.find(options->name);
    ItemAnalysis analysis = ItemAnalysis::analyze(doc.exam, doc.sheets);
    if (options->json) {
      std::cout << scoresJSON(doc, analysis).dump() << "\n";
      return;
    }
    if (doc.sheets.empty()) {
      std::cout << "No sheets have been graded yet.\n";
      return;
    }
    printSheetScores(doc);
    printClassSummary(analysis.summary);
    printItemTable(analysis.items);
  };
}

} // namespace ovalon::cli
