#include "Commands.h"

#include <iostream>

namespace ovalon::cli {

Runner addDeleteCommand(CLI::App &app) {
  auto name = std::make_shared<std::string>();
  CLI::App *command =
      app.add_subcommand("delete", "Delete a test with its graded sheets and page images");
  command->add_option("test", *name, "Title or the start of the id")->required();
  return [name](const Workspace &workspace) {
    ExamDocument doc = workspace.find(*name);
    workspace.library().remove(doc.exam.id);
    std::cout << "Deleted “" << doc.exam.title << "”.\n";
  };
}

} // namespace ovalon::cli
