#include "Commands.h"

#include "CliError.h"
#include "library/FileIO.h"
#include "workflow/RosterUpdate.h"

#include <iostream>

namespace ovalon::cli {

Runner addRosterCommand(CLI::App &app) {
  struct Options {
    std::string name;
    std::string file;
  };
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "roster", "Import a class roster from a CSV file (replaces the test's roster)");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("file", options->file, "CSV file with a student ID column")->required();
  return [options](const Workspace &workspace) {
    const Uuid id = workspace.locate(options->name).id;
    std::filesystem::path path = options->file;
    auto bytes = FileIO::read(path);
    if (!bytes)
      throw CliError::usage("Can’t read “" + path.string() + "”.");
    RosterUpdate::Imported imported;
    workspace.update(id, [&](ExamDocument &doc) {
      auto result = RosterUpdate::importRoster(doc, *bytes, path.filename().string());
      if (!result)
        throw CliError::failed(result.error());
      imported = std::move(*result);
      return ExamLibrary::Edited::changed;
    });
    std::cout << imported.title << "\n";
    for (const std::string &note : imported.notes)
      std::cout << note << "\n";
  };
}

} // namespace ovalon::cli
