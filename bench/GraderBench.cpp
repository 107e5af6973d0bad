// Scan intake throughput, pages in flight as on this machine: a 30-page PDF of
// printed sheets rendered and read, a 100-page simulated class scan read with
// and without handwritten names, the same scan with JPEG pages as copiers write
// them, the peak memory of reading 500 scanned pages, and twenty phone photos
// imported as the app does.

#include "library/FileIO.h"
#include "model/Exam.h"
#include "scanning/Grader.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetPDF.h"
#include "simulator/CaptureConditions.h"
#include "simulator/CaptureSimulator.h"
#include "simulator/ClassSimulator.h"
#include "simulator/ScanSimulator.h"
#include "workflow/GradingRun.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace ovalon {
namespace {

const Exam &gradedExam() {
  static const Exam exam = Exam::make(*Uuid::parse("5D1E2F30-4152-4637-8849-5A6B7C8D9E0F"),
                                      "Intake bench", Date{}, 50, 5, 8, Paper::letter, 11);
  return exam;
}

// Thirty students' pre-filled sheets in a temporary file.
std::filesystem::path writeThirtyPagePdf() {
  std::vector<SheetFill> students;
  for (int i = 0; i < 30; ++i)
    students.push_back({"Student " + std::to_string(i + 1), std::to_string(20250100 + i), false});
  const auto bytes = SheetPDF::make(gradedExam(), {SheetJob{0, 1, students}});
  const auto file = std::filesystem::temp_directory_path() /
                    ("ovalon-bench-" + std::to_string(getpid()) + ".pdf");
  if (!bytes || !FileIO::writeAtomically(file, *bytes))
    std::abort();
  return file;
}

void gradeThirtyPagePdf(benchmark::State &state) {
  const auto path = writeThirtyPagePdf();
  for (auto _ : state) {
    auto outcomes = Grader::gradePDF(path, gradedExam());
    if (!outcomes || outcomes->size() != 30 || (*outcomes)[0].problem)
      state.SkipWithError("the sheets were not read");
    benchmark::DoNotOptimize(outcomes);
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * 30);
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 30, benchmark::Counter::kIsRate);
}
BENCHMARK(gradeThirtyPagePdf)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);

// User and system time in `usage`, every thread counted.
double processorSeconds(const rusage &usage) {
  auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// User and system time of every thread of this process so far.
double processSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return processorSeconds(usage);
}

// A simulated class of `pages` one-page sheets scanned at 200 dpi into a temporary file,
// the students' names handwritten or left off, the pages 8-bit gray or JPEGs of
// `jpegQuality`.
std::filesystem::path writeSimulatedScan(int pages, bool names, int jpegQuality = 0) {
  auto students = ClassSimulator::madeUpStudents(pages, gradedExam().idDigits, 21);
  std::vector<SimulatedSheet> sheets = ClassSimulator::studentSheets(gradedExam(), students, 21);
  if (!names)
    for (SimulatedSheet &sheet : sheets)
      sheet.name.reset();
  const auto bytes = ScanSimulator::scan(gradedExam(), sheets,
                                         ClassSimulator::distortions(pages, ScanQuality::mild, 21),
                                         200, jpegQuality);
  const auto file = std::filesystem::temp_directory_path() /
                    ("ovalon-bench-scan-" + std::to_string(getpid()) + "-" + std::to_string(pages) +
                     (names ? "n" : "") + "-" + std::to_string(jpegQuality) + ".pdf");
  if (!bytes || !FileIO::writeAtomically(file, *bytes))
    std::abort();
  return file;
}

// The whole intake of a 100-page scan: pictures decoded, pages read, names recognised
// (argument 1) or absent (argument 0).
void gradeHundredPageScan(benchmark::State &state) {
  const bool names = state.range(0) == 1;
  const auto path = writeSimulatedScan(100, names);
  const double cpuBefore = processSeconds();
  for (auto _ : state) {
    auto outcomes = Grader::gradePDF(path, gradedExam());
    if (!outcomes || outcomes->size() != 100 || (*outcomes)[0].problem ||
        names != (*outcomes)[0].name.has_value())
      state.SkipWithError("the scan was not read");
    benchmark::DoNotOptimize(outcomes);
  }
  std::filesystem::remove(path);
  // All threads' processor time: the figure that does not depend on what else the
  // machine is running.
  state.counters["CPU ms/page"] =
      (processSeconds() - cpuBefore) * 1000 / (static_cast<double>(state.iterations()) * 100);
  state.SetLabel(names ? "names read" : "no names");
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * 100,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(gradeHundredPageScan)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

// The same 100-page scan, names read, as a copier writes it: every page a JPEG of quality
// 80. Processor time per page counts every thread; the JPEG decoding is part of it.
void gradeHundredPageJpegScan(benchmark::State &state) {
  const auto path = writeSimulatedScan(100, true, 80);
  const double cpuBefore = processSeconds();
  for (auto _ : state) {
    auto outcomes = Grader::gradePDF(path, gradedExam());
    if (!outcomes || outcomes->size() != 100 || (*outcomes)[0].problem ||
        !(*outcomes)[0].name.has_value())
      state.SkipWithError("the scan was not read");
    benchmark::DoNotOptimize(outcomes);
  }
  std::filesystem::remove(path);
  state.counters["CPU ms/page"] =
      (processSeconds() - cpuBefore) * 1000 / (static_cast<double>(state.iterations()) * 100);
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * 100,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(gradeHundredPageJpegScan)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// Runs `work` in a child process of its own, so that its peak memory is its own: the
// child's resource use, or nothing when it failed.
std::optional<rusage> inChild(const std::function<bool()> &work) {
  const pid_t child = fork();
  if (child == 0)
    _exit(work() ? 0 : 1);
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0)
    return std::nullopt;
  return usage;
}

double megabytes(const rusage &usage) {
  // ru_maxrss is in kilobytes on Linux.
  return static_cast<double>(usage.ru_maxrss) / 1024;
}

// Peak resident memory of a process that grades a 500-page scan. The scan is made in a
// child of its own and graded in another, so neither's memory counts toward the other.
void peakMemoryOfFiveHundredPageScan(benchmark::State &state) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("ovalon-bench-500-" + std::to_string(getpid()) + ".pdf");
  const bool made = inChild([&] {
                      const auto written = writeSimulatedScan(500, true);
                      std::error_code error;
                      std::filesystem::rename(written, path, error);
                      return !error;
                    }).has_value();
  for (auto _ : state) {
    const auto usage = made ? inChild([&] {
      const auto outcomes = Grader::gradePDF(path, gradedExam());
      return outcomes && outcomes->size() == 500;
    })
                            : std::nullopt;
    if (!usage) {
      state.SkipWithError("the 500-page scan was not made or not read");
      break;
    }
    state.counters["peak MB"] = megabytes(*usage);
  }
  std::filesystem::remove(path);
}
BENCHMARK(peakMemoryOfFiveHundredPageScan)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// The app's Import Photos: twenty phone photos of sheets, each the JPEG file a phone
// stores, read as one source. The photos are made in a child process and read in another,
// so the figures (peak memory, processor time) are the reading's own.
void importTwentyPhotos(benchmark::State &state) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("ovalon-bench-photos-" + std::to_string(getpid()));
  const Exam &exam = gradedExam();
  std::vector<std::filesystem::path> photos;
  for (int i = 0; i < 20; ++i)
    photos.push_back(folder / ("IMG_" + std::to_string(1000 + i) + ".jpg"));
  const bool made =
      inChild([&] {
        std::filesystem::create_directories(folder);
        const auto students = ClassSimulator::madeUpStudents(20, exam.idDigits, 21);
        const auto sheets = ClassSimulator::studentSheets(exam, students, 21);
        const auto condition = *CaptureConditions::named("photo-flat");
        for (size_t i = 0; i < photos.size(); ++i) {
          const CapturedPage page = CaptureSimulator::capture(
              exam, sheets[i], 1,
              CaptureConditions::forSheet(condition, static_cast<int>(i), SheetLayout(exam)));
          if (!page.jpeg || !FileIO::writeAtomically(photos[i], *page.jpeg))
            return false;
        }
        return true;
      }).has_value();
  for (auto _ : state) {
    const auto usage = made ? inChild([&] {
      const auto reading = GradingRun::read({ScanSource::photos(photos, "Phone photos")}, exam, {});
      return reading.outcomes.size() == 20 && !reading.outcomes[0].problem;
    })
                            : std::nullopt;
    if (!usage) {
      state.SkipWithError("the photos were not made or not read");
      break;
    }
    state.counters["CPU s"] = processorSeconds(*usage);
    state.counters["peak MB"] = megabytes(*usage);
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(importTwentyPhotos)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace
} // namespace ovalon
