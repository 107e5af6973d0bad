#include "Commands.h"

#include "CliError.h"
#include "ScanRun.h"
#include "grading/Rescan.h"
#include "library/FileIO.h"
#include "library/ImageStaging.h"
#include "workflow/GradingRun.h"

#include <algorithm>
#include <iostream>

namespace ovalon::cli {

namespace {

struct Options {
  std::string name;
  int sheet = 0;
  std::vector<std::string> scans;
  bool differentStudent = false;
};

std::string lines(const std::vector<std::string> &sentences) {
  std::string text;
  for (const std::string &sentence : sentences)
    text += (text.empty() ? "" : "\n") + sentence;
  return text;
}

const ScannedSheet &sheetNumbered(const ExamDocument &doc, int number) {
  auto sheet = std::ranges::find(doc.sheets, number, &ScannedSheet::number);
  if (sheet == doc.sheets.end())
    throw CliError::usage("\u201C" + doc.exam.title + "\u201D has no sheet " +
                          std::to_string(number) + ".");
  return *sheet;
}

// "Avery Brooks (204501)", or the ID alone when the roster doesn't know it.
std::string studentText(const Roster &roster, const std::string &id) {
  auto student = roster.student(id);
  return student ? student->name() + " (" + id + ")" : "ID " + id;
}

// Why a replacement that reads another student's ID waits for the teacher's word.
std::string differentStudentRefusal(const ExamDocument &before, const ScannedSheet &old,
                                    const ScannedSheet &fresh, int number) {
  std::string was = old.studentID() ? studentText(before.roster, *old.studentID()) : "";
  std::string reads = fresh.readID.empty() ? "" : studentText(before.roster, fresh.readID);
  return "The new scan reads " + (reads.empty() ? "another student" : reads) + ", but sheet " +
         std::to_string(number) + " is " + (was.empty() ? "another student" : was) +
         "\u2019s. Nothing was replaced; to replace it anyway, add --different-student.";
}

} // namespace

Runner addRescanCommand(CLI::App &app) {
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "rescan", "Replace one graded sheet with a new scan of that student's pages, keeping its "
                "number and the review answers that still apply; the rest of the class isn't "
                "regraded");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("sheet", options->sheet, "The sheet's number, as ovalon-cli scores shows it")
      ->required();
  command->add_option("scans", options->scans, "PDF or image files of that student's pages")
      ->required();
  command->add_flag("--different-student", options->differentStudent,
                    "Replace the sheet even when the new scan reads another student's ID (Review "
                    "then asks which student it is)");
  return [options](const Workspace &workspace) {
    const DocumentSummary test = workspace.locate(options->name);
    ExamDocument doc = workspace.find(test.id.text());
    sheetNumbered(doc, options->sheet);

    std::vector<ScanSource> sources;
    std::optional<std::string> digest;
    for (const std::string &scan : options->scans) {
      if (auto why = GradingRun::unopenable(scan))
        throw CliError::failed(*why);
      sources.push_back(ScanSource::file(scan));
      if (options->scans.size() == 1)
        digest = FileIO::digest(scan);
    }
    GradingRun::Reading reading = readScans(sources, doc.exam, "Reading the new scan\u2026");
    if (!reading.errors.empty())
      throw CliError::failed("The sheet wasn\u2019t replaced\n" + lines(reading.errors));
    auto staging = ImageStaging::open(workspace.library(), test.id);
    if (!staging)
      throw CliError::failed(staging.error());

    Rescan::Replacement replaced;
    workspace.update(
        test.id,
        [&](ExamDocument &current) {
          const ScannedSheet old = sheetNumbered(current, options->sheet);
          auto result = Rescan::replace(old.id, current.exam, current.roster, current.sheets,
                                        reading.outcomes);
          if (!result)
            throw CliError::failed("The sheet wasn\u2019t replaced\n" +
                                   result.error().description());
          auto fresh = std::ranges::find(current.sheets, old.id, &ScannedSheet::id);
          if (result->summary.differentStudent && !options->differentStudent)
            throw CliError::failed(differentStudentRefusal(current, old, *fresh, options->sheet));
          fresh->sourceDigest = digest;
          for (const auto &[picture, jpeg] : result->images)
            if (auto added = staging->add(picture, jpeg); !added)
              throw CliError::failed("The sheet wasn\u2019t replaced\n" + added.error());
          replaced = std::move(*result);
          return ExamLibrary::Edited::changed;
        },
        &*staging);
    // The old pictures go only once nothing points at them any more.
    workspace.library().deleteImages(replaced.replacedImages, test.id);

    std::vector<std::string> report = replaced.summary.sentences();
    std::cout << "Sheet " << options->sheet << " replaced\n" << lines(report) << "\n";
  };
}

} // namespace ovalon::cli
