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
                             "graded sheets (tab-separated)");
  return [](const Workspace &workspace) {
    for (const ExamDocument &doc : workspace.all()) {
      std::cout << doc.exam.id.text() << '\t' << doc.exam.title << '\t'
                << counted(static_cast<size_t>(doc.exam.questionCount), "question") << '\t'
                << counted(doc.exam.versions.size(), "version") << '\t'
                << counted(doc.sheets.size(), "graded sheet") << "\n";
    }
  };
}

} // namespace ovalon::cli
