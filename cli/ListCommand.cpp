#include "Commands.h"

#include <iostream>

namespace ovalon::cli {

namespace {

std::string counted(size_t n, const std::string &word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

} // namespace

Runner addListCommand(CLI::App &app) {
  app.add_subcommand("list", "List the tests, newest first: id, title, questions, versions, "
                             "graded sheets (tab-separated); then each file in Tests/ that "
                             "can't be used, with the reason");
  return [](const Workspace &workspace) {
    ExamLibrary::Listing listing = workspace.list();
    for (const DocumentSummary &test : listing.tests)
      std::cout << test.id.text() << '\t' << test.title << '\t'
                << counted(static_cast<size_t>(test.questionCount), "question") << '\t'
                << counted(static_cast<size_t>(test.versionCount), "version") << '\t'
                << counted(static_cast<size_t>(test.sheetCount), "graded sheet") << "\n";
    for (const ExamLibrary::Unreadable &file : listing.unreadable)
      std::cout << file.path.stem().string() << "\tunreadable\t" << file.reason << '\t'
                << file.path.string() << "\n";
  };
}

} // namespace ovalon::cli
