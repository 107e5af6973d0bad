#include "Commands.h"

#include "CliError.h"
#include "library/FileIO.h"
#include "workflow/RosterUpdate.h"

#include <iostream>

namespace ovalon::cli {

namespace {

struct Options {
  std::string name;
  std::string file;
  std::string idColumn;
  bool list = false;
};

void importFile(const Workspace &workspace, const Uuid &id, const Options &options) {
  std::filesystem::path path = options.file;
  auto bytes = FileIO::read(path);
  if (!bytes)
    throw CliError::usage("Can’t read “" + path.string() + "”.");
  RosterUpdate::Imported imported;
  workspace.update(id, [&](ExamDocument &doc) {
    auto result =
        RosterUpdate::importRoster(doc, *bytes, path.filename().string(), {options.idColumn});
    if (!result)
      throw CliError::failed(result.error());
    imported = std::move(*result);
    return ExamLibrary::Edited::changed;
  });
  std::cout << imported.title << "\n";
  for (const std::string &note : imported.notes)
    std::cout << note << "\n";
}

// The roster as stored, in file order, tab-separated under the gradebook's headings, so a
// name split the wrong way shows.
void printRoster(const ExamDocument &doc) {
  if (doc.roster.students.empty()) {
    std::cout << "“" << doc.exam.title << "” has no roster yet.\n";
    return;
  }
  std::cout << "Student ID\tLast Name\tFirst Name\n";
  for (const Student &student : doc.roster.students)
    std::cout << student.id << '\t' << student.lastName << '\t' << student.firstName << "\n";
}

} // namespace

Runner addRosterCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "roster", "Import a class roster from a CSV file (replaces the test's roster), or list it");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("file", options->file, "CSV file with a student ID column");
  command->add_option("--id-column", options->idColumn,
                      "Heading of the column that holds the student IDs");
  command->add_flag("--list", options->list,
                    "Print the roster: ID, last name and first name as stored (tab-separated)");
  return [options](const Workspace &workspace) {
    if (options->file.empty() && !options->list)
      throw CliError::usage("Give a CSV file to import, or --list to print the roster.");
    if (options->file.empty() && !options->idColumn.empty())
      throw CliError::usage("--id-column names a column of the CSV file to import; give the "
                            "file too.");
    const Uuid id = workspace.locate(options->name).id;
    if (!options->file.empty())
      importFile(workspace, id, *options);
    if (options->list)
      printRoster(workspace.find(options->name));
  };
}

} // namespace ovalon::cli
