#include "Commands.h"

#include "CliError.h"
#include "grading/Assembly.h"
#include "model/FileIO.h"
#include "model/RosterImport.h"

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
    ExamDocument doc = workspace.find(options->name);
    std::filesystem::path path = options->file;
    auto bytes = FileIO::read(path);
    if (!bytes)
      throw CliError::usage("Can’t read “" + path.string() + "”.");
    auto imported = RosterImport::importData(*bytes, path.filename().string());
    if (!imported)
      throw CliError::failed(imported.error().description());
    doc.roster = imported->roster;
    // ID flags always reflect the current roster.
    doc.sheets = Assembly::refreshIDFlags(std::move(doc.sheets), doc.exam, doc.roster.students);
    workspace.save(doc);
    size_t count = doc.roster.students.size();
    std::cout << "Imported " << count << (count == 1 ? " student" : " students") << "\n";
    for (const std::string &warning : imported->warnings)
      std::cout << warning << "\n";
    int longest = doc.roster.longestID();
    if (doc.exam.idDigits < longest) {
      if (doc.exam.idDigits == 0)
        std::cout << "This test has no ID bubbles, so each sheet's student is picked in Review.\n";
      else
        std::cout << "Some IDs have " << longest << " digits but the sheet has "
                  << doc.exam.idDigits
                  << " ID columns. Raise \u201CID digits\u201D before printing.\n";
    }
  };
}

} // namespace ovalon::cli
