#include "CliError.h"
#include "Commands.h"
#include "Workspace.h"

#include "library/ExamLibrary.h"

#include <iostream>
#include <map>

using namespace ovalon;
using namespace ovalon::cli;

int main(int argc, char **argv) {
  CLI::App app{"Ovalon: design multiple-choice tests, print bubble answer sheets and grade "
               "scans of them. Works on the same library folder as the desktop app.",
               "ovalon-cli"};
  app.require_subcommand(1);
  app.failure_message([](const CLI::App *, const CLI::Error &error) {
    return std::string(error.what()) + (std::string(error.what()).ends_with(".") ? "" : ".") + "\n";
  });
  std::string libraryFolder;
  app.add_option("--library", libraryFolder,
                 "Library folder (default: $OVALON_LIBRARY, else $XDG_DATA_HOME/Ovalon, else "
                 "~/.local/share/Ovalon)");

  std::map<CLI::App *, Runner> runners;
  auto add = [&](Runner (*adder)(CLI::App &)) {
    size_t before = app.get_subcommands({}).size();
    Runner runner = adder(app);
    runners[app.get_subcommands({})[before]] = std::move(runner);
  };
  for (auto adder :
       {addNewCommand,      addListCommand,        addShowCommand,     addKeyCommand,
        addVersionsCommand, addRosterCommand,      addSheetsCommand,   addReadCommand,
        addGradeCommand,    addRescanCommand,      addReviewCommand,   addResolveCommand,
        addExcludeCommand,  addRemoveSheetCommand, addScoresCommand,   addExportCommand,
        addSampleCommand,   addSampleScanCommand,  addSimulateCommand, addDeleteCommand})
    add(adder);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &help) {
    return app.exit(help);
  } catch (const CLI::ParseError &error) {
    app.exit(error);
    return 2;
  }

  Workspace workspace{libraryFolder.empty() ? ExamLibrary::defaultFolder()
                                            : std::filesystem::path(libraryFolder)};
  try {
    for (auto &[command, runner] : runners)
      if (command->parsed())
        runner(workspace);
  } catch (const CliError &error) {
    std::cerr << error.what() << "\n";
    return error.status;
  }
  return 0;
}
