#include "Commands.h"

#include "CliError.h"
#include "library/FileIO.h"
#include "simulator/ClassSimulator.h"
#include "simulator/ScanSimulator.h"

#include <iostream>
#include <optional>

namespace ovalon::cli {

namespace {

constexpr int madeUpClassSize = 30;
constexpr int maxStudents = 1000;
constexpr double minDPI = 72;
constexpr double maxDPI = 600;

struct Options {
  std::string name;
  std::string output;
  std::optional<int> students;
  uint64_t seed = 1;
  double dpi = ScanSimulator::resolution;
  std::string distortion = "mild";
  bool keySheet = false;
};

// The roster's students in list order, then made-up ones when more are asked for.
std::vector<Student> classOf(const ExamDocument &doc, std::optional<int> wanted, uint64_t seed) {
  std::vector<Student> students = doc.roster.sorted();
  const int count =
      wanted.value_or(students.empty() ? madeUpClassSize : static_cast<int>(students.size()));
  if (static_cast<int>(students.size()) >= count) {
    students.resize(static_cast<size_t>(count));
    return students;
  }
  for (Student &student : ClassSimulator::madeUpStudents(count - static_cast<int>(students.size()),
                                                         doc.exam.idDigits, seed, students))
    students.push_back(std::move(student));
  return students;
}

std::string plural(size_t count, const std::string &word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

} // namespace

Runner addSimulateCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "simulate", "Write a simulated class scan of a test as a PDF: filled-in sheets with "
                  "answers drawn from the seed, the test's roster or made-up students");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("-o,--output", options->output, "PDF file to write")->required();
  command->add_option("--students", options->students,
                      "How many students (default: the roster, or 30 made-up students)");
  command->add_option("--seed", options->seed, "Seed of the answers and the scanner (default 1)");
  command->add_option("--dpi", options->dpi, "Scan resolution in dots per inch (default 150)");
  command->add_option("--distortion", options->distortion,
                      "How roughly the sheets are scanned: none, mild (default) or harsh");
  command->add_flag("--key-sheet", options->keySheet,
                    "Put a bubbled answer-key sheet before the students' sheets");
  return [options](const Workspace &workspace) {
    const std::optional<ScanQuality> quality = ScanQualityInfo::fromRawValue(options->distortion);
    if (!quality)
      throw CliError::usage("--distortion must be none, mild or harsh, not \u201C" +
                            options->distortion + "\u201D.");
    if (options->students && (*options->students < 1 || *options->students > maxStudents))
      throw CliError::usage("--students must be between 1 and " + std::to_string(maxStudents) +
                            ".");
    if (!(options->dpi >= minDPI && options->dpi <= maxDPI))
      throw CliError::usage("--dpi must be between 72 and 600.");
    const ExamDocument doc = workspace.find(options->name);

    const std::vector<Student> students = classOf(doc, options->students, options->seed);
    std::vector<SimulatedSheet> sheets;
    if (options->keySheet)
      sheets.push_back(ClassSimulator::keySheet(doc.exam));
    for (SimulatedSheet &sheet : ClassSimulator::studentSheets(doc.exam, students, options->seed))
      sheets.push_back(std::move(sheet));
    const auto distortions =
        ClassSimulator::distortions(static_cast<int>(sheets.size()), *quality, options->seed);
    const auto pdf = ScanSimulator::scan(doc.exam, sheets, distortions, options->dpi);
    if (!pdf)
      throw CliError::failed("The simulated scan couldn\u2019t be made.");
    if (auto written = FileIO::writeAtomically(options->output, *pdf); !written)
      throw CliError::failed(written.error());
    std::cout << "Wrote " << plural(students.size(), "student")
              << (options->keySheet ? " and an answer-key sheet" : "") << " ("
              << plural(sheets.size() * static_cast<size_t>(doc.exam.pageCount()), "page")
              << ") of \u201C" << doc.exam.title << "\u201D to " << options->output << "\n";
  };
}

} // namespace ovalon::cli
