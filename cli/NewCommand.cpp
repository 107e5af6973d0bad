#include "Commands.h"

#include <iostream>
#include <optional>

namespace ovalon::cli {

Runner addNewCommand(CLI::App &app) {
  struct Options {
    std::string title;
    int questions = 20;
    int choices = 4;
    int idDigits = 6;
    std::string paper = "letter";
    int versions = 1;
    bool shuffleChoices = false;
    std::optional<uint64_t> seed;
    std::string key;
  };
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand("new", "Create a test and print its id");
  command->add_option("--title", options->title, "Title of the test")->required();
  command->add_option("--questions", options->questions, "Questions, 1 to 200 (default 20)");
  command->add_option("--choices", options->choices, "Choices per question, 2 to 5 (default 4)");
  command->add_option("--id-digits", options->idDigits,
                      "Digits of the student-ID grid, 0 to 10 (default 6)");
  command->add_option("--paper", options->paper, "Paper size: letter or a4 (default letter)")
      ->check(CLI::IsMember({"letter", "a4"}));
  command->add_option("--versions", options->versions, "Versions, 1 to 4 (default 1)");
  command->add_flag("--shuffle-choices", options->shuffleChoices,
                    "Shuffle the choices on versions B to D too");
  command->add_option("--seed", options->seed, "Seed of the version shuffle (default: random)");
  command->add_option("--key", options->key, "Answer key typed in order, like ABDCA BBCAD");

  return [options](const Workspace &workspace) {
    Paper paper = *PaperInfo::fromRawValue(options->paper);
    Exam exam = Exam::make(Uuid::random(), options->title, Date::now(), options->questions,
                           options->choices, options->idDigits, paper, options->seed);
    exam.setShuffleChoices(options->shuffleChoices);
    exam.setVersionCount(options->versions);
    exam.applyKeyText(options->key, 0);
    ExamDocument document = ExamDocument::make(std::move(exam));
    workspace.create(document);
    std::cout << document.exam.id.text() << "\n";
  };
}

} // namespace ovalon::cli
