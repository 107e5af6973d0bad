#include "Commands.h"

#include "CliError.h"
#include "ProgressBar.h"
#include "model/FileIO.h"
#include "simulator/SampleClass.h"
#include "workflow/Exports.h"
#include "workflow/GradingRun.h"

#include <iostream>

namespace ovalon::cli {

namespace {

namespace fs = std::filesystem;

std::optional<ExamDocument> existingSample(const Workspace &workspace) {
  for (ExamDocument &doc : workspace.all())
    if (doc.exam.id.text() == SampleClass::testID)
      return doc;
  return std::nullopt;
}

ExamDocument createSample(const Workspace &workspace) {
  ExamDocument doc = ExamDocument::make(SampleClass::exam(Date::now()));
  doc.roster = SampleClass::roster();
  workspace.save(doc);
  std::cout << "Created \u201C" << doc.exam.title << "\u201D with " << doc.roster.students.size()
            << " students.\n";
  return doc;
}

fs::path writeScan(const ExamDocument &doc, const fs::path &folder) {
  auto pdf = SampleClass::scanPDF(doc.exam, doc.roster);
  if (!pdf)
    throw CliError::failed("The sample scan couldn\u2019t be made. Please try again.");
  fs::path path = folder / SampleClass::scanFileName;
  if (auto written = FileIO::writeAtomically(path, *pdf); !written)
    throw CliError::failed(written.error());
  return path;
}

void grade(ExamDocument &doc, const fs::path &scan, const Workspace &workspace) {
  std::vector<ScanSource> sources{ScanSource::file(scan)};
  GradingRun::Reading reading;
  {
    ProgressBar bar("Reading " + GradingRun::scanName(sources) + "\u2026");
    reading = GradingRun::read(sources, doc.exam,
                               [&bar](int done, int total) { bar.update(done, total); });
  }
  GradingRun::Result result = GradingRun::complete(reading, doc);
  if (auto saved = workspace.library().saveImages(result.assembly.images, doc.exam.id); !saved)
    throw CliError::failed(saved.error().description());
  GradingRun::apply(result, doc);
  workspace.save(doc);
  std::cout << result.title << "\n" << result.detail << "\n";
}

} // namespace

Runner addSampleCommand(CLI::App &app) {
  auto out = std::make_shared<std::string>("ovalon-sample");
  CLI::App *command = app.add_subcommand(
      "sample", "Try the sample class: create the sample test, make its scan and grade it "
                "(once; later runs show where it stands)");
  command->add_option("--out", *out, "Folder for the sample scan (default ./ovalon-sample)");
  return [out](const Workspace &workspace) {
    fs::path folder = *out;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
      throw CliError::failed("Couldn\u2019t create the folder \u201C" + folder.string() +
                             "\u201D: " + error.message() + ".");
    std::optional<ExamDocument> sample = existingSample(workspace);
    ExamDocument doc = sample ? *sample : createSample(workspace);
    if (doc.sheets.empty()) {
      fs::path scan = writeScan(doc, folder);
      std::cout << "Wrote the sample scan to " << scan.string() << "\n";
      grade(doc, scan, workspace);
    } else {
      std::cout << "\u201C" << doc.exam.title << "\u201D is already graded: " << doc.sheets.size()
                << " sheets.\n";
    }
    auto blocked = Exports::blocker(doc);
    std::cout << (blocked ? "Exports wait: " + *blocked : std::string("Ready to export.")) << "\n";
  };
}

} // namespace ovalon::cli
