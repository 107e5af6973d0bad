#include "Commands.h"

#include "CliError.h"
#include "model/Choices.h"
#include "reports/PointsText.h"

#include <iostream>
#include <optional>

namespace ovalon::cli {

namespace {

struct Options {
  std::string name;
  std::string text;
  int from = 1;
  std::optional<int> question;
  std::optional<std::string> answers;
  std::optional<double> points;
  bool drop = false;
  bool count = false;
};

std::set<int> parseAnswers(const std::string &letters, int choiceCount) {
  std::set<int> choices;
  for (char c : letters) {
    if (c == ' ' || c == ',' || c == '/')
      continue;
    auto choice = Choices::index(std::string_view(&c, 1));
    if (!choice || *choice >= choiceCount)
      throw CliError::usage("“" + std::string(1, c) + "” isn’t a choice of this test (A to " +
                            Choices::letter(choiceCount - 1) + ").");
    choices.insert(*choice);
  }
  return choices;
}

void setOneQuestion(Exam &exam, const Options &options) {
  int q = *options.question - 1;
  if (q < 0 || q >= exam.questionCount)
    throw CliError::usage("Question " + std::to_string(*options.question) +
                          " isn’t on this test (1 to " + std::to_string(exam.questionCount) + ").");
  const QuestionKey current = exam.key[static_cast<size_t>(q)];
  std::set<int> correct =
      options.answers ? parseAnswers(*options.answers, exam.choiceCount) : current.correct;
  bool dropped = options.drop ? true : options.count ? false : current.dropped;
  exam.setKey(q, correct, options.points.value_or(current.points), dropped);
}

} // namespace

Runner addKeyCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "key", "Type the answer key in order (ovalon-cli key TEST \"BCADA DBCAB\"), or set one "
             "question's answers, points and dropped flag with --question");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("text", options->text, "Key letters in order; other characters are skipped");
  command->add_option("--from", options->from, "First question the typed key fills (default 1)")
      ->check(CLI::PositiveNumber);
  auto *question = command->add_option("--question", options->question, "Question to set");
  command->add_option("--answers", options->answers, "Accepted answers, like A or AC")
      ->needs(question);
  command->add_option("--points", options->points, "Points, 0 to 100")->needs(question);
  auto *drop = command->add_flag("--drop", options->drop, "Leave the question out of scoring")
                   ->needs(question);
  command->add_flag("--count", options->count, "Count the question again")
      ->needs(question)
      ->excludes(drop);

  return [options](const Workspace &workspace) {
    const Uuid id = workspace.locate(options->name).id;
    if (options->question && !options->text.empty())
      throw CliError::usage("Give either key letters or --question, not both.");
    if (options->question) {
      ExamDocument doc = workspace.update(id, [&](ExamDocument &d) {
        setOneQuestion(d.exam, *options);
        return ExamLibrary::Edited::changed;
      });
      const QuestionKey &k = doc.exam.key[static_cast<size_t>(*options->question - 1)];
      std::cout << "Question " << *options->question << ": "
                << (k.correct.empty() ? "no answer" : Choices::text(k.correct)) << ", "
                << pointsText(k.points) << (k.points == 1 ? " point" : " points")
                << (k.dropped ? ", dropped" : "") << "\n";
      return;
    }
    if (options->text.empty())
      throw CliError::usage("Type the key letters, or choose a question with --question.");
    int applied = 0;
    ExamDocument doc = workspace.update(id, [&](ExamDocument &d) {
      if (options->from > d.exam.questionCount)
        throw CliError::usage("Question " + std::to_string(options->from) +
                              " isn’t on this test (1 to " + std::to_string(d.exam.questionCount) +
                              ").");
      applied = d.exam.applyKeyText(options->text, options->from - 1);
      return ExamLibrary::Edited::changed;
    });
    auto unkeyed = doc.exam.unkeyedQuestions().size();
    std::cout << "Set " << applied << (applied == 1 ? " answer" : " answers") << "; "
              << (unkeyed == 0 ? std::string("the key is complete")
                               : std::to_string(unkeyed) + " still unkeyed")
              << ".\n";
  };
}

} // namespace ovalon::cli
