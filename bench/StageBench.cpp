// Where the time of grading a copier's scan goes, stage by stage: a 100-page simulated
// class (50 questions, names handwritten) written as a 200-dpi PDF of quality-80 JPEG
// pages, read one page at a time on one thread. Beside it, the floor: decoding the same
// JPEGs and nothing else. Prints a table of processor milliseconds per page.
//
//   ovalon_stages [--pages N]

#include "library/ExamLibrary.h"
#include "library/FileIO.h"
#include "library/ImageStaging.h"
#include "model/Exam.h"
#include "scanning/Grader.h"
#include "scanning/ImageCodecs.h"
#include "scanning/NameReader.h"
#include "scanning/PageReader.h"
#include "scanning/PdfDocument.h"
#include "scanning/PdfImageProbe.h"
#include "scanning/Registration.h"
#include "scanning/SheetLocator.h"
#include "sheets/SheetLayout.h"
#include "simulator/ClassSimulator.h"
#include "simulator/ScanSimulator.h"
#include "workflow/GradingRun.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace ovalon {
namespace {

constexpr double scanDpi = 200;
constexpr int jpegQuality = 80;

const Exam &benchExam() {
  static const Exam exam = Exam::make(*Uuid::parse("5D1E2F30-4152-4637-8849-5A6B7C8D9E0F"),
                                      "Stage bench", Date{}, 50, 5, 8, Paper::letter, 11);
  return exam;
}

// The whole process's processor time: pages are read on this thread alone, but OpenCV hands
// parts of some calls to worker threads of its own, which this thread's clock would miss.
double processorSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Adds the processor time `work` takes to `total` and passes its result on.
template <typename Work> auto timed(double &total, Work &&work) {
  const double start = processorSeconds();
  auto result = work();
  total += processorSeconds() - start;
  return result;
}

struct Scan {
  std::vector<Bytes> jpegs; // what each PDF page holds
  std::filesystem::path pdf;
};

Scan makeScan(int pages) {
  auto students = ClassSimulator::madeUpStudents(pages, benchExam().idDigits, 21);
  const auto sheets = ClassSimulator::studentSheets(benchExam(), students, 21);
  const auto images = ScanSimulator::scanPages(
      benchExam(), sheets, ClassSimulator::distortions(pages, ScanQuality::mild, 21), scanDpi);
  Scan scan;
  for (const GrayImage &image : images)
    scan.jpegs.push_back(*ImageCodecs::encodeJpeg(image, jpegQuality / 100.0));
  scan.pdf = std::filesystem::temp_directory_path() /
             ("ovalon-stages-" + std::to_string(getpid()) + ".pdf");
  const auto pdf = ScanSimulator::scanPDF(images, scanDpi, jpegQuality);
  if (!pdf || !FileIO::writeAtomically(scan.pdf, *pdf))
    std::abort();
  return scan;
}

enum StageIndex {
  floor,
  decode,
  code,
  corners,
  straighten,
  registration,
  marks,
  name,
  pictures,
  saving,
  stageCount
};

const char *const stageNames[stageCount] = {"JPEG decode alone (the floor)",
                                            "decode the PDF page",
                                            "identity symbol",
                                            "corner squares",
                                            "straightening",
                                            "registration",
                                            "marks (the rest of reading)",
                                            "name",
                                            "preview and crops",
                                            "saving: pictures and document"};

using Seconds = std::array<double, stageCount>;

// One page through every stage; reading and grading are timed whole too, so the stages
// that have no entry of their own are what is left of them.
PageOutcome timePage(const Scan &scan, const PdfDocument &document, const PdfImageProbe &probe,
                     int index, Seconds &total) {
  const Exam &exam = benchExam();
  Seconds s{};
  (void)timed(s[floor], [&] { return ImageCodecs::decode(scan.jpegs[size_t(index)], 1 << 20); });
  const auto size = document.renderedSize(index);
  const GrayImage page =
      *timed(s[decode], [&] { return probe.pageImage(index, size->first, size->second); });
  const auto found =
      timed(s[code], [&] { return PageReader::findCode(page, SheetLayout(exam.signature())); });
  if (!found)
    std::abort();
  const SheetLayout layout(found->identity.signature);
  const SeenSymbol symbol{found->centre, found->corners};
  const LocatedSheet located =
      timed(s[corners], [&] { return SheetLocator::locate(page, exam, found->identity, symbol); });
  (void)timed(s[straighten],
              [&] { return GrayImage::straightened(page, *located.corners, layout.pageSize); });
  s[corners] -= s[straighten];
  const RegisteredPage registered = timed(s[registration], [&] {
    return Registration::registered(*located.straightened, layout, found->identity.page);
  });
  (void)timed(s[name], [&] {
    return NameReader::readName(registered.image, layout.pageSize.width, layout.signature.idDigits);
  });
  double reading = 0, grading = 0;
  (void)timed(reading, [&] { return PageReader::read(page, exam); });
  PageOutcome outcome =
      timed(grading, [&] { return Grader::readPage(page, exam, "scan.pdf", index + 1); });
  s[marks] = reading - s[code] - s[corners] - s[straighten] - s[registration] - s[name];
  s[pictures] = grading - reading;
  for (size_t stage = 0; stage < stageCount; ++stage)
    total[stage] += s[stage];
  return outcome;
}

// Each page's picture staged as grading does, then the sheets added to the test's document
// and saved under its lock.
double timeSaving(std::vector<PageOutcome> outcomes) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("ovalon-stages-library-" + std::to_string(getpid()));
  const ExamLibrary library{folder};
  if (!library.create(ExamDocument::make(benchExam())))
    std::abort();
  auto staging = ImageStaging::open(library, benchExam().id);
  if (!staging)
    std::abort();
  const double start = processorSeconds();
  GradingRun::Reading reading;
  auto stage = [&](const std::optional<Bytes> &picture) -> std::optional<Uuid> {
    const Uuid id = Uuid::random();
    if (!picture || !staging->add(id, *picture))
      std::abort();
    return id;
  };
  for (PageOutcome &outcome : outcomes) {
    reading.origins.push_back(
        {stage(outcome.preview), std::nullopt, stage(outcome.idCrop), stage(outcome.nameCrop)});
    reading.outcomes.push_back(std::move(outcome));
  }
  const auto updated = library.update(benchExam().id, [&](ExamDocument &document) {
    GradingRun::apply(GradingRun::complete(std::move(reading), document), document);
    staging->commit(document);
    return std::expected<ExamLibrary::Edited, std::string>(ExamLibrary::Edited::changed);
  });
  const double seconds = processorSeconds() - start;
  std::filesystem::remove_all(folder);
  if (!updated)
    std::abort();
  return seconds;
}

int run(int pages) {
  std::fprintf(stderr, "Making a %d-page scan…\n", pages);
  const Scan scan = makeScan(pages);
  const auto document = PdfDocument::open(scan.pdf);
  const auto probe = PdfImageProbe::open(scan.pdf);
  if (!document || !probe)
    return 1;
  // The recogniser starts once per thread, as in grading: not a cost of any page.
  const auto size = document->renderedSize(0);
  (void)Grader::readPage(*probe->pageImage(0, size->first, size->second), benchExam(), "", 1);

  Seconds total{};
  std::vector<PageOutcome> outcomes;
  for (int index = 0; index < pages; ++index)
    outcomes.push_back(timePage(scan, *document, *probe, index, total));
  total[saving] = timeSaving(std::move(outcomes));
  std::filesystem::remove(scan.pdf);

  double all = 0;
  std::printf("%-32s %8s\n", "stage (one thread)", "ms/page");
  for (size_t stage = 0; stage < stageCount; ++stage) {
    const double ms = total[stage] * 1000 / pages;
    std::printf("%-32s %8.1f\n", stageNames[stage], ms);
    if (stage != floor)
      all += ms;
  }
  std::printf("%-32s %8.1f\n", "all stages", all);
  std::printf("%-32s %8.1f\n", "all stages / floor", all / (total[floor] * 1000 / pages));
  return 0;
}

} // namespace
} // namespace ovalon

int main(int argc, char **argv) {
  int pages = 100;
  if (argc == 3 && std::string(argv[1]) == "--pages")
    pages = std::max(1, std::atoi(argv[2]));
  return ovalon::run(pages);
}
