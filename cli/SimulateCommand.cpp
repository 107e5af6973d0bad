#include "Commands.h"

#include "CliError.h"
#include "library/FileIO.h"
#include "simulator/CaptureConditions.h"
#include "simulator/CaptureSimulator.h"
#include "simulator/ClassSimulator.h"
#include "simulator/ScanSimulator.h"

#include <charconv>
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
  std::optional<double> dpi;
  std::optional<std::string> distortion;
  std::optional<std::string> conditions;
  std::optional<std::string> jpeg;
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

// The capture conditions, one a line, for the command's help.
std::string conditionList() {
  std::string list = "Capture conditions (--conditions NAME):\n";
  for (const CaptureCondition &condition : CaptureConditions::all()) {
    std::string name = "  " + condition.name;
    name.resize(std::max<size_t>(name.size() + 2, 23), ' ');
    list += name + condition.summary + "\n";
  }
  return list;
}

// A JPEG quality given as text: a whole number from 1 to 100.
std::optional<int> jpegQuality(const std::string &text) {
  int quality = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), quality);
  if (error != std::errc{} || end != text.data() + text.size() || quality < 1 || quality > 100)
    return std::nullopt;
  return quality;
}

// Each sheet's capture under the condition, with the copier's resolution or the JPEG
// quality the options ask for instead of the condition's own.
std::vector<PageCapture> capturesOf(const CaptureCondition &condition, const Exam &exam,
                                    size_t sheets, std::optional<double> dpi,
                                    std::optional<int> jpeg) {
  std::vector<PageCapture> captures;
  for (size_t i = 0; i < sheets; ++i) {
    PageCapture capture = CaptureConditions::forSheet(condition, static_cast<int>(i),
                                                      SheetLayout(exam), exam.pageCount());
    if (dpi)
      capture.dpi = *dpi;
    if (jpeg)
      (capture.medium == CaptureMedium::photo ? capture.photo.jpegQuality : capture.jpegQuality) =
          *jpeg;
    captures.push_back(std::move(capture));
  }
  return captures;
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
  command->add_option("--seed", options->seed,
                      "Seed of the answers and, without --conditions, of the scanner (default 1)");
  command->add_option("--dpi", options->dpi,
                      "Scan resolution in dots per inch (default 150, or the copier condition's)");
  command->add_option("--distortion", options->distortion,
                      "How roughly the sheets are scanned: none, mild (default) or harsh");
  command->add_option("--conditions", options->conditions,
                      "Capture the sheets under a named condition instead (listed below): a "
                      "copier's PDF pages, or phone photos");
  command->add_option("--jpeg", options->jpeg,
                      "Store each page as a JPEG of this quality, 1 to 100, as copiers do "
                      "(default: 8-bit gray pages, or the condition's own)");
  command->footer(conditionList());
  command->add_flag("--key-sheet", options->keySheet,
                    "Put a bubbled answer-key sheet before the students' sheets");
  return [options](const Workspace &workspace) {
    const std::optional<ScanQuality> quality =
        ScanQualityInfo::fromRawValue(options->distortion.value_or("mild"));
    if (!quality)
      throw CliError::usage("--distortion must be none, mild or harsh, not \u201C" +
                            *options->distortion + "\u201D.");
    std::optional<CaptureCondition> condition;
    if (options->conditions) {
      condition = CaptureConditions::named(*options->conditions);
      if (!condition)
        throw CliError::usage("--conditions must name a capture condition that simulate --help "
                              "lists, not \u201C" +
                              *options->conditions + "\u201D.");
      if (options->distortion)
        throw CliError::usage("--conditions and --distortion can\u2019t be used together.");
      if (options->dpi && condition->medium == CaptureMedium::photo)
        throw CliError::usage("--dpi doesn\u2019t apply to photos; their size is the "
                              "condition\u2019s.");
    }
    std::optional<int> jpeg;
    if (options->jpeg && !(jpeg = jpegQuality(*options->jpeg)))
      throw CliError::usage("--jpeg must be a whole number from 1 to 100.");
    if (options->students && (*options->students < 1 || *options->students > maxStudents))
      throw CliError::usage("--students must be between 1 and " + std::to_string(maxStudents) +
                            ".");
    if (options->dpi && !(*options->dpi >= minDPI && *options->dpi <= maxDPI))
      throw CliError::usage("--dpi must be between 72 and 600.");
    const ExamDocument doc = workspace.find(options->name);

    const std::vector<Student> students = classOf(doc, options->students, options->seed);
    std::vector<SimulatedSheet> sheets;
    if (options->keySheet)
      sheets.push_back(ClassSimulator::keySheet(doc.exam));
    for (SimulatedSheet &sheet : ClassSimulator::studentSheets(doc.exam, students, options->seed))
      sheets.push_back(std::move(sheet));
    const auto pdf =
        condition ? CaptureSimulator::capturePDF(
                        doc.exam, sheets,
                        capturesOf(*condition, doc.exam, sheets.size(), options->dpi, jpeg))
                  : ScanSimulator::scan(doc.exam, sheets,
                                        ClassSimulator::distortions(static_cast<int>(sheets.size()),
                                                                    *quality, options->seed),
                                        options->dpi.value_or(ScanSimulator::resolution),
                                        jpeg.value_or(0));
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
