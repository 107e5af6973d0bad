// Scan intake throughput: a 30-page PDF of printed sheets opened, rendered
// and read through the grader, pages in flight as on this machine.

#include "model/Exam.h"
#include "model/FileIO.h"
#include "scanning/Grader.h"
#include "sheets/SheetPDF.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
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

} // namespace
} // namespace ovalon
