#include "Commands.h"

#include "CliError.h"

#include <iostream>
#include <unistd.h>

namespace ovalon::cli {

namespace {

struct Options {
  std::string name;
  bool yes = false;
};

// Asks on a terminal; anything but yes keeps the test.
bool confirmed(const DocumentSummary &test) {
  std::cerr << "Delete \u201C" << test.title << "\u201D? Its " << test.sheetCount << " graded sheet"
            << (test.sheetCount == 1 ? "" : "s")
            << " and scans are removed too. This can\u2019t be undone. [y/N] " << std::flush;
  std::string answer;
  std::getline(std::cin, answer);
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

} // namespace

Runner addDeleteCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command =
      app.add_subcommand("delete", "Delete a test with its graded sheets and page images");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_flag("-y,--yes", options->yes,
                    "Delete a test with graded sheets without asking (needed in scripts)");
  return [options](const Workspace &workspace) {
    DocumentSummary test = workspace.locate(options->name);
    if (test.sheetCount > 0 && !options->yes) {
      if (!isatty(STDIN_FILENO))
        throw CliError::usage("\u201C" + test.title + "\u201D has " +
                              std::to_string(test.sheetCount) + " graded sheet" +
                              (test.sheetCount == 1 ? "" : "s") +
                              "; add --yes to delete it with them.");
      if (!confirmed(test))
        throw CliError::failed("Nothing was deleted.");
    }
    // Graded meanwhile by another program: ask again rather than take its sheets.
    auto stillUngraded = [&](const ExamDocument &doc) -> std::optional<std::string> {
      if (doc.sheets.empty() || options->yes || test.sheetCount > 0)
        return std::nullopt;
      return "\u201C" + test.title + "\u201D was graded meanwhile, so it wasn\u2019t deleted.";
    };
    if (auto removed = workspace.library().remove(test.id, stillUngraded); !removed)
      throw CliError::failed(removed.error().description());
    std::cout << "Deleted \u201C" << test.title << "\u201D.\n";
  };
}

} // namespace ovalon::cli
