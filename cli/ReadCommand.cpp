#include "Commands.h"

#include "CliError.h"
#include "ProgressBar.h"
#include "grading/Assembly.h"
#include "library/DocumentJSON.h"
#include "model/Choices.h"
#include "scanning/Grader.h"
#include "scanning/PageReader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <optional>

namespace ovalon::cli {

namespace {

using nlohmann::json;

struct Options {
  std::string name;
  std::vector<std::string> files;
  std::optional<std::string> version;
  bool json = false;
};

bool isPDF(const std::filesystem::path &path) {
  std::string extension = path.extension().string();
  std::ranges::transform(extension, extension.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".pdf";
}

// A page read with an identity the caller chose (a page whose code is unreadable).
PageOutcome readAssumed(const GrayImage &image, const Exam &exam, const SheetIdentity &assumed,
                        const std::string &source, int sourcePage) {
  PageRead read = PageReader::read(image, exam, MarkThresholds{}, assumed);
  PageOutcome outcome;
  outcome.source = source;
  outcome.sourcePage = sourcePage;
  outcome.identity = read.identity;
  outcome.problem = read.problem;
  outcome.questions = read.questions;
  outcome.idColumns = read.idColumns;
  outcome.method = read.method;
  outcome.name = read.name;
  return outcome;
}

std::vector<PageOutcome> readFile(const std::filesystem::path &path, const Exam &exam,
                                  const std::optional<SheetIdentity> &assumed) {
  std::string name = path.filename().string();
  ProgressBar bar("Reading " + name);
  auto progress = [&bar](int done, int total) { bar.update(done, total); };
  if (isPDF(path)) {
    auto outcomes = Grader::gradePDF(path, exam, progress);
    if (!outcomes)
      throw CliError::failed(name + ": " + outcomes.error().description());
    return *outcomes;
  }
  const std::string unreadable = name + " isn\u2019t a PDF or an image Ovalon can open.";
  if (assumed) {
    std::vector<PageOutcome> outcomes;
    for (const GrayImage &image : GrayImage::allFromImageFile(path))
      outcomes.push_back(
          readAssumed(image, exam, *assumed, name, static_cast<int>(outcomes.size()) + 1));
    if (outcomes.empty())
      throw CliError::failed(unreadable);
    return outcomes;
  }
  auto outcomes = Grader::gradeImageFile(path, exam, progress);
  if (!outcomes)
    throw CliError::failed(unreadable);
  return *outcomes;
}

std::string fillsText(const std::vector<double> &fills) {
  std::string text;
  for (double fill : fills) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.2f", fill);
    text += (text.empty() ? "" : " ") + std::string(buffer);
  }
  return text;
}

std::string readingText(const MarkRead &mark) {
  if (mark.choice)
    return Choices::letter(*mark.choice);
  std::string flag(MarkFlagInfo::rawValue(mark.flag.value_or(MarkFlag::blank)));
  return flag;
}

void printPage(const PageOutcome &page) {
  std::cout << page.source << " page " << page.sourcePage << ": ";
  if (page.identity)
    std::cout << "version " << Choices::letter(page.identity->version) << ", page "
              << page.identity->page << (page.identity->isKey ? ", answer key" : "");
  else
    std::cout << "no identity";
  std::cout << "\n";
  if (page.problem) {
    std::cout << "  " << page.problem->title() << ". " << page.problem->detail() << "\n";
    return;
  }
  if (page.blackAndWhite)
    std::cout << "  Scanned in black and white, which can drop light pencil marks.\n";
  if (page.method)
    std::cout << "  Corners: " << CornerMethodInfo::rawValue(*page.method) << "\n";
  if (!page.idColumns.empty()) {
    std::string id = Assembly::readID(page.idColumns);
    std::cout << "  ID: " << (id.empty() ? "(none)" : id) << "\n";
  }
  if (page.name)
    std::cout << "  Name: " << page.name->text << "\n";
  for (const QuestionRead &row : page.questions)
    std::cout << "  " << row.position + 1 << ". " << readingText(row.mark) << "  ["
              << fillsText(row.mark.fills) << "]\n";
}

json pageJSON(const PageOutcome &page) {
  json out = json::parse(DocumentJSON::encode(page));
  out["readID"] = Assembly::readID(page.idColumns);
  return out;
}

} // namespace

Runner addReadCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "read", "Read scanned pages (PDFs or images) against a test without storing anything");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("files", options->files, "PDF or image files")->required();
  command->add_option("--version", options->version,
                      "Read images without a readable code as page 1 of this version");
  command->add_flag("--json", options->json, "One JSON object per page, one per line");
  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.find(options->name);
    std::optional<SheetIdentity> assumed;
    if (options->version) {
      auto index = Choices::index(*options->version);
      if (!index || !doc.exam.version(*index))
        throw CliError::usage("This test has no version \u201C" + *options->version + "\u201D.");
      assumed = SheetIdentity{doc.exam.examCode(), *index, 1, doc.exam.signature(), false};
    }
    for (const std::string &file : options->files) {
      for (const PageOutcome &page : readFile(file, doc.exam, assumed)) {
        if (options->json)
          std::cout << pageJSON(page).dump() << "\n";
        else
          printPage(page);
      }
    }
  };
}

} // namespace ovalon::cli
