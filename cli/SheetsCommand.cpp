#include "Commands.h"

#include "CliError.h"
#include "library/FileIO.h"
#include "model/Choices.h"
#include "sheets/SheetPDF.h"

#include <iostream>
#include <optional>

namespace ovalon::cli {

namespace {

struct Options {
  std::string name;
  std::string output;
  std::string version = "A";
  std::optional<int> copies;
  bool roster = false;
  bool keySheet = false;
};

int versionIndex(const Exam &exam, const std::string &letter) {
  auto index = Choices::index(letter);
  if (!index || !exam.version(*index))
    throw CliError::usage("This test has no version “" + letter + "” (it has A to " +
                          Choices::letter(static_cast<int>(exam.versions.size()) - 1) + ").");
  return *index;
}

SheetJob job(const ExamDocument &doc, const Options &options) {
  if (options.keySheet)
    return {0, 1, {SheetFill::answerKey()}};
  int version = versionIndex(doc.exam, options.version);
  if (!options.roster)
    return {version, options.copies.value_or(1), {}};
  if (doc.roster.students.empty())
    throw CliError::usage("“" + doc.exam.title +
                          "” has no roster yet; import one with ovalon-cli roster.");
  SheetJob job{version, 1, {}};
  for (const Student &student : doc.roster.sorted())
    job.students.push_back({student.name(), student.id, false});
  return job;
}

} // namespace

Runner addSheetsCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "sheets", "Write answer sheets as a PDF: blank copies, one pre-filled sheet per roster "
                "student, or the answer-key sheet");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("-o,--output", options->output, "PDF file to write")->required();
  command->add_option("--version", options->version, "Version to print, A to D (default A)");
  auto *copies = command->add_option("--copies", options->copies, "Blank copies (default 1)");
  auto *roster = command->add_flag("--roster", options->roster,
                                   "One sheet per roster student, name and ID filled in");
  command
      ->add_flag("--key-sheet", options->keySheet,
                 "The answer-key sheet (version A, to bubble the key and scan it)")
      ->excludes(copies)
      ->excludes(roster);
  copies->excludes(roster);
  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.find(options->name);
    SheetJob request = job(doc, *options);
    auto pdf = SheetPDF::make(doc.exam, {request});
    if (!pdf)
      throw CliError::failed("The sheets couldn’t be drawn.");
    std::filesystem::path path = options->output;
    if (auto written = FileIO::writeAtomically(path, *pdf); !written)
      throw CliError::failed(written.error());
    int sheets = request.students.empty() ? std::max(request.copies, 1)
                                          : static_cast<int>(request.students.size());
    int pages = sheets * doc.exam.pageCount();
    std::cout << "Wrote " << pages << (pages == 1 ? " page" : " pages") << " to " << path.string()
              << "\n";
  };
}

} // namespace ovalon::cli
