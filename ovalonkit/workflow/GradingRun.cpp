#include "workflow/GradingRun.h"

#include "grading/Assembly.h"
#include "scanning/Grader.h"
#include "scanning/KeyScan.h"

#include <algorithm>
#include <cctype>

namespace ovalon::GradingRun {

namespace {

std::string lowerExtension(const std::filesystem::path &path) {
  std::string extension = path.extension().string();
  std::ranges::transform(extension, extension.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

void readFile(const std::filesystem::path &path, const Exam &exam, const Progress &progress,
              std::stop_token stop, Reading &reading) {
  std::string name = path.filename().string();
  if (lowerExtension(path) == ".pdf") {
    auto outcomes = Grader::gradePDF(path, exam, progress, stop);
    if (!outcomes) {
      reading.errors.push_back(name + ": " + outcomes.error().description());
      return;
    }
    std::ranges::move(*outcomes, std::back_inserter(reading.outcomes));
    return;
  }
  auto outcomes = Grader::gradeImageFile(path, exam, progress, stop);
  if (!outcomes) {
    reading.errors.push_back(name + " isn\u2019t a PDF or an image Ovalon can open.");
    return;
  }
  std::ranges::move(*outcomes, std::back_inserter(reading.outcomes));
}

bool isKeyPage(const PageOutcome &outcome) {
  return !outcome.problem && outcome.identity && outcome.identity->isKey;
}

std::string plural(size_t n, const std::string &word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::vector<std::string> sentences(const Reading &reading, const AssemblyResult &assembly) {
  std::vector<std::string> out;
  size_t open = 0;
  for (const ScannedSheet &sheet : assembly.sheets)
    open += sheet.openFlags().size();
  if (open > 0)
    out.push_back(plural(open, "mark") + (open == 1 ? " needs" : " need") +
                  " a look in Review before scores go out.");
  size_t issues = assembly.issues.size();
  if (issues == 1)
    out.push_back("1 page couldn\u2019t be graded; it\u2019s listed in Review.");
  else if (issues > 1)
    out.push_back(std::to_string(issues) +
                  " pages couldn\u2019t be graded; they\u2019re listed in Review.");
  auto blackAndWhite = std::ranges::count(reading.outcomes, true, &PageOutcome::blackAndWhite);
  if (blackAndWhite > 0)
    out.push_back((blackAndWhite == 1 ? std::string("1 page was")
                                      : std::to_string(blackAndWhite) + " pages were") +
                  " scanned in black and white, which can drop light pencil marks. If an answer "
                  "in Review looks blank but was marked, scan that sheet again in grayscale.");
  out.insert(out.end(), reading.errors.begin(), reading.errors.end());
  return out;
}

std::string joined(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines)
    text += (text.empty() ? "" : "\n") + line;
  return text;
}

} // namespace

std::string scanName(const std::vector<ScanSource> &sources) {
  if (sources.empty())
    return "";
  if (auto *images = std::get_if<ScanSource::Images>(&sources.front().input))
    return images->name;
  if (sources.size() == 1)
    return "\u201C" + std::get<ScanSource::File>(sources.front().input).path.filename().string() +
           "\u201D";
  return std::to_string(sources.size()) + " files";
}

Reading read(const std::vector<ScanSource> &sources, const Exam &exam, const Progress &progress,
             std::stop_token stop) {
  Reading reading;
  for (const ScanSource &source : sources) {
    if (stop.stop_requested())
      break;
    if (auto *images = std::get_if<ScanSource::Images>(&source.input))
      std::ranges::move(Grader::gradeImages(images->images, images->name, exam, progress, stop),
                        std::back_inserter(reading.outcomes));
    else
      readFile(std::get<ScanSource::File>(source.input).path, exam, progress, stop, reading);
  }
  return reading;
}

Result complete(const Reading &reading, const ExamDocument &document) {
  std::vector<PageOutcome> keyPages;
  std::vector<PageOutcome> studentPages;
  for (const PageOutcome &outcome : reading.outcomes)
    (isKeyPage(outcome) ? keyPages : studentPages).push_back(outcome);

  Result result;
  if (!keyPages.empty())
    if (auto key = KeyScan::readKey(keyPages, document.exam))
      result.key = std::move(*key);
  result.assembly =
      Assembly::assemble(studentPages, document.exam, document.roster.students, document.sheets);

  size_t graded = result.assembly.sheets.size();
  if (graded > 0)
    result.title = "Graded " + plural(graded, "sheet");
  else
    result.title =
        result.key ? "No student sheets were in the scan" : "No answer sheets were graded";
  auto lines = sentences(reading, result.assembly);
  result.detail = lines.empty() ? "Every mark was clear." : joined(lines);
  if (result.key) {
    lines.insert(lines.begin(), result.title + ".");
    result.gradingNote = joined(lines);
  }
  return result;
}

void apply(const Result &result, ExamDocument &document) {
  document.sheets.insert(document.sheets.end(), result.assembly.sheets.begin(),
                         result.assembly.sheets.end());
  document.issues.insert(document.issues.end(), result.assembly.issues.begin(),
                         result.assembly.issues.end());
}

} // namespace ovalon::GradingRun
