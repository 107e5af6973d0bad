#include "Commands.h"

#include "CliError.h"
#include "library/FileIO.h"
#include "model/Choices.h"
#include "sheets/SheetPDF.h"

#include <algorithm>
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
  bool deal = false;
  bool keySheet = false;
  CLI::Option *versionOption = nullptr;
};

int versionIndex(const Exam &exam, const std::string &letter) {
  auto index = Choices::index(letter);
  if (!index || !exam.version(*index))
    throw CliError::usage("This test has no version “" + letter + "” (it has A to " +
                          Choices::letter(static_cast<int>(exam.versions.size()) - 1) + ").");
  return *index;
}

std::vector<SheetJob> jobs(const ExamDocument &doc, const Options &options) {
  if (options.keySheet)
    return {{0, 1, {SheetFill::answerKey()}}};
  if (options.deal && options.versionOption->count() > 0)
    throw CliError::usage("--deal-versions gives out every version in turn, so it can’t be "
                          "used with --version.");
  if (options.deal && !options.roster)
    throw CliError::usage("--deal-versions deals the roster’s sheets; add --roster.");
  int version = versionIndex(doc.exam, options.version);
  if (!options.roster)
    return {{version, options.copies.value_or(1), {}}};
  if (doc.roster.students.empty())
    throw CliError::usage("“" + doc.exam.title +
                          "” has no roster yet; import one with ovalon-cli roster.");
  if (options.deal)
    return SheetJob::dealt(doc.roster, static_cast<int>(doc.exam.versions.size()));
  return {SheetJob::classSet(doc.roster, version)};
}

// "Versions in turn: 4 of A, 3 of B."
std::string dealtLine(const std::vector<SheetJob> &jobs, int versionCount) {
  std::string line;
  for (int version = 0; version < versionCount; ++version) {
    const auto count = std::ranges::count(jobs, version, &SheetJob::version);
    line += (line.empty() ? "" : ", ") + std::to_string(count) + " of " + Choices::letter(version);
  }
  return "Versions in turn: " + line + ".";
}

} // namespace

Runner addSheetsCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "sheets", "Write answer sheets as a PDF: blank copies, one pre-filled sheet per roster "
                "student, or the answer-key sheet");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("-o,--output", options->output, "PDF file to write")->required();
  options->versionOption =
      command->add_option("--version", options->version, "Version to print, A to D (default A)");
  auto *copies = command->add_option("--copies", options->copies, "Blank copies (default 1)");
  auto *roster = command->add_flag("--roster", options->roster,
                                   "One sheet per roster student, name and ID filled in");
  auto *deal = command->add_flag(
      "--deal-versions", options->deal,
      "With --roster, the test's versions in turn (A, B, A, B…) in class-list order");
  command
      ->add_flag("--key-sheet", options->keySheet,
                 "The answer-key sheet (version A, to bubble the key and scan it)")
      ->excludes(copies)
      ->excludes(roster)
      ->excludes(deal);
  copies->excludes(roster);
  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.find(options->name);
    const std::vector<SheetJob> requests = jobs(doc, *options);
    auto pdf = SheetPDF::make(doc.exam, requests);
    if (!pdf)
      throw CliError::failed("The sheets couldn’t be drawn.");
    std::filesystem::path path = options->output;
    if (auto written = FileIO::writeAtomically(path, *pdf); !written)
      throw CliError::failed(written.error());
    int sheets = 0;
    for (const SheetJob &request : requests)
      sheets += request.students.empty() ? std::max(request.copies, 1)
                                         : static_cast<int>(request.students.size());
    int pages = sheets * doc.exam.pageCount();
    std::cout << "Wrote " << pages << (pages == 1 ? " page" : " pages") << " to " << path.string()
              << "\n";
    if (options->deal)
      std::cout << dealtLine(requests, static_cast<int>(doc.exam.versions.size())) << "\n";
  };
}

} // namespace ovalon::cli
