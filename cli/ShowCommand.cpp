#include "Commands.h"

#include "CliError.h"
#include "library/FileIO.h"
#include "model/Choices.h"
#include "reports/PointsText.h"

#include <iostream>

namespace ovalon::cli {

namespace {

std::string keyLine(const Exam &exam, int q) {
  const QuestionKey &k = exam.key[static_cast<size_t>(q)];
  std::string answer = k.correct.empty() ? "–" : Choices::text(k.correct);
  std::string line = std::to_string(q + 1) + ". " + answer;
  if (k.points != 1)
    line += " · " + pointsText(k.points) + " points";
  if (k.dropped)
    line += " · dropped";
  return line;
}

std::string orderText(const ExamVersion &version) {
  std::string text;
  for (int q : version.order)
    text += (text.empty() ? "" : " ") + std::to_string(q + 1);
  return text;
}

void printSummary(const ExamDocument &doc) {
  const Exam &exam = doc.exam;
  std::cout << exam.title << "\n"
            << "Id: " << exam.id.text() << " (code " << exam.examCode() << ")\n"
            << "Layout: " << exam.signature().summary() << "\n"
            << "Possible points: " << pointsText(exam.possiblePoints()) << "\n";
  auto unkeyed = exam.unkeyedQuestions();
  std::cout << "Key: "
            << (unkeyed.empty() ? std::string("Complete")
                                : std::to_string(unkeyed.size()) + " unkeyed")
            << "\n";
  for (int q = 0; q < exam.questionCount; ++q)
    std::cout << "  " << keyLine(exam, q) << "\n";
  std::cout << "Versions:" << (exam.shuffleChoices ? " (choices shuffled)" : "") << "\n";
  for (const ExamVersion &v : exam.versions)
    std::cout << "  " << Choices::letter(v.letter) << ": " << orderText(v) << "\n";
  std::cout << "Roster: " << doc.roster.students.size() << " students"
            << (doc.roster.sourceName ? " from " + *doc.roster.sourceName : "") << "\n"
            << "Graded sheets: " << doc.sheets.size() << "\n";
  for (const ScannedSheet &sheet : doc.sheets)
    if (auto note = sheet.placementNote())
      std::cout << "  Sheet " << sheet.number << ": " << *note << "\n";
}

} // namespace

Runner addShowCommand(CLI::App &app) {
  struct Options {
    std::string name;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand("show", "Show a test's layout, key, versions and roster");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_flag("--json", options->json, "Print the stored document exactly as saved");
  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.find(options->name);
    if (!options->json) {
      printSummary(doc);
      return;
    }
    auto bytes = FileIO::read(workspace.library().documentPath(doc.exam.id));
    if (!bytes)
      throw CliError::failed("The document of “" + doc.exam.title + "” can’t be read.");
    std::cout.write(reinterpret_cast<const char *>(bytes->data()),
                    static_cast<std::streamsize>(bytes->size()));
    std::cout << "\n";
  };
}

} // namespace ovalon::cli
