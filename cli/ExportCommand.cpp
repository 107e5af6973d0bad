#include "Commands.h"

#include "CliError.h"
#include "library/FileIO.h"
#include "workflow/Exports.h"

#include <iostream>
#include <optional>

namespace ovalon::cli {

namespace {

struct Options {
  std::string name;
  std::vector<std::string> csv, slips, report, keys;
  CLI::Option *csvOption = nullptr, *slipsOption = nullptr, *reportOption = nullptr,
              *keysOption = nullptr;
  bool answers = false;
  bool fourPerPage = false;
};

// One requested file: where it goes and how its bytes are made.
struct Export {
  std::filesystem::path path;
  std::optional<std::string> blockedTitle; // absent for exports that are never blocked
  std::function<std::optional<Bytes>()> make;
};

std::filesystem::path target(const std::vector<std::string> &given, const Exam &exam,
                             const std::string &suffix, const std::string &extension) {
  if (!given.empty() && !given.front().empty())
    return given.front();
  return Exports::suggestedFileName(exam.title + suffix, extension);
}

std::vector<Export> requested(const Options &o, const ExamDocument &doc) {
  std::vector<Export> out;
  if (o.csvOption->count() > 0)
    out.push_back({target(o.csv, doc.exam, " Scores", "csv"), "Scores aren\u2019t ready to export",
                   [&] { return std::optional(Exports::scores(doc, o.answers)); }});
  if (o.slipsOption->count() > 0)
    out.push_back(
        {target(o.slips, doc.exam, " Result Slips", "pdf"), "The slips aren\u2019t ready", [&] {
           return Exports::slips(doc,
                                 o.fourPerPage ? SlipLayout::fourPerPage : SlipLayout::onePerPage);
         }});
  if (o.reportOption->count() > 0)
    out.push_back({target(o.report, doc.exam, " Item Analysis", "pdf"),
                   "The report isn\u2019t ready", [&] { return Exports::report(doc); }});
  if (o.keysOption->count() > 0)
    out.push_back({target(o.keys, doc.exam, " Answer Keys", "pdf"), std::nullopt,
                   [&] { return Exports::answerKeys(doc); }});
  return out;
}

} // namespace

Runner addExportCommand(CLI::App &app) {
  auto o = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "export", "Write the gradebook CSV, result slips, item-analysis report or answer keys "
                "(without FILE, a name made from the test's title in the current folder)");
  command->add_option("test", o->name, "Title or the start of the id")->required();
  o->csvOption = command->add_option("--csv", o->csv, "Gradebook CSV")->expected(0, 1);
  command->add_flag("--answers", o->answers, "Add each student's answers to the CSV")
      ->needs(o->csvOption);
  o->slipsOption = command->add_option("--slips", o->slips, "Result slips PDF")->expected(0, 1);
  command->add_flag("--four-per-page", o->fourPerPage, "Four slips to a page, to cut apart")
      ->needs(o->slipsOption);
  o->reportOption =
      command->add_option("--report", o->report, "Item-analysis report PDF")->expected(0, 1);
  o->keysOption =
      command->add_option("--keys", o->keys, "Answer keys of every version PDF")->expected(0, 1);
  return [o](const Workspace &workspace) {
    ExamDocument doc = workspace.find(o->name);
    std::vector<Export> exports = requested(*o, doc);
    if (exports.empty())
      throw CliError::usage("Choose what to export: --csv, --slips, --report or --keys.");
    auto blocked = Exports::blocker(doc);
    if (blocked &&
        std::ranges::any_of(exports, [](const Export &e) { return e.blockedTitle.has_value(); })) {
      for (const Export &e : exports)
        if (e.blockedTitle)
          std::cerr << *e.blockedTitle << ": " << *blocked << "\n";
      throw CliError::failed("Nothing was written.");
    }
    for (const Export &e : exports) {
      auto bytes = e.make();
      if (!bytes)
        throw CliError::failed("The file couldn\u2019t be made. Please try again.");
      if (auto written = FileIO::writeAtomically(e.path, *bytes); !written)
        throw CliError::failed("The file couldn\u2019t be saved. " + written.error());
      std::cout << "Wrote " << e.path.string() << "\n";
    }
  };
}

} // namespace ovalon::cli
