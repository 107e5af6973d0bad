#include "Commands.h"

#include "CliError.h"
#include "model/Choices.h"

#include <iostream>
#include <optional>
#include <sstream>

namespace ovalon::cli {

namespace {

// What the app says when its version controls are locked.
constexpr const char *lockedLayout = "Sheets have been graded with this layout, so it\u2019s fixed "
                                     "now. Duplicate the test to change it.";

struct Options {
  std::string name;
  std::optional<int> count;
  bool reshuffle = false;
  std::optional<std::string> shuffleChoices;
  std::vector<std::string> order;
};

int versionIndex(const std::string &letter) {
  auto index = Choices::index(letter);
  if (!index || *index > 3)
    throw CliError::usage("“" + letter + "” isn’t a version; use A, B, C or D.");
  return *index;
}

// Question numbers typed with commas or spaces between them. Anything that is
// not a number makes the list invalid, as a repeated number would.
std::optional<std::vector<int>> typedNumbers(std::string text) {
  std::ranges::replace(text, ',', ' ');
  std::istringstream in(text);
  std::vector<int> numbers;
  std::string word;
  while (in >> word) {
    try {
      size_t used = 0;
      int n = std::stoi(word, &used);
      if (used != word.size())
        return std::nullopt;
      numbers.push_back(n);
    } catch (const std::exception &) {
      return std::nullopt;
    }
  }
  return numbers;
}

void applyOrder(Exam &exam, const std::vector<std::string> &order) {
  int version = versionIndex(order[0]);
  auto numbers = typedNumbers(order[1]);
  auto result = numbers ? exam.setOrder(*numbers, version)
                        : std::expected<void, ExamError>(std::unexpected(
                              version == 0 ? ExamError::versionA()
                                           : ExamError::notAPermutation(exam.questionCount)));
  if (!result)
    throw CliError::failed(result.error().description());
}

void printVersions(const Exam &exam) {
  for (const ExamVersion &v : exam.versions) {
    std::cout << Choices::letter(v.letter) << ":";
    for (int q : v.order)
      std::cout << " " << q + 1;
    std::cout << (v.choiceOrder ? "  (choices shuffled)" : "") << "\n";
  }
}

} // namespace

Runner addVersionsCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "versions", "Set how many versions a test has, shuffle them again, or type a version's "
                  "order; prints every version's question order");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("--count", options->count, "Number of versions, 1 to 4");
  command->add_flag("--reshuffle", options->reshuffle, "Shuffle versions B to D again");
  command
      ->add_option("--shuffle-choices", options->shuffleChoices,
                   "Shuffle choices on versions B to D: on or off")
      ->check(CLI::IsMember({"on", "off"}));
  command
      ->add_option("--order", options->order,
                   "A version and its printed order, like --order B \"3 1 2 4\"")
      ->expected(2);

  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.update(workspace.locate(options->name).id, [&](ExamDocument &d) {
      Exam &exam = d.exam;
      const Exam before = exam;
      if (options->shuffleChoices)
        exam.setShuffleChoices(*options->shuffleChoices == "on");
      if (options->count)
        exam.setVersionCount(*options->count);
      if (options->reshuffle)
        exam.reshuffle();
      if (!options->order.empty())
        applyOrder(exam, options->order);
      if (exam == before)
        return ExamLibrary::Edited::unchanged;
      // Graded sheets were read against these versions: a new order would
      // score them against questions their students never saw.
      if (!d.sheets.empty())
        throw CliError::failed(lockedLayout);
      return ExamLibrary::Edited::changed;
    });
    printVersions(doc.exam);
  };
}

} // namespace ovalon::cli
