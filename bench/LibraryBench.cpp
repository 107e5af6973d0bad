// A class of thousands graded into the library by ovalon-cli, then listed: the
// grading process's peak memory, the document it writes, and how long `list`
// takes afterwards. The scans are made first, each in a child of its own, so
// their memory counts toward nothing measured.

#include "library/ExamLibrary.h"
#include "library/FileIO.h"
#include "simulator/ClassSimulator.h"
#include "simulator/ScanSimulator.h"

#include <benchmark/benchmark.h>

#include <chrono>
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

namespace fs = std::filesystem;

constexpr int pagesPerFile = 500;

Exam benchExam() {
  Exam exam = Exam::make(*Uuid::parse("7E2F3A4B-5C6D-4E7F-8091-A2B3C4D5E6F7"), "Library bench",
                         Date::now(), 30, 4, 6, Paper::letter, 17);
  exam.applyKeyText("BCADA DBCAB CADBC ABDCA DCBAB CDABD", 0);
  return exam;
}

struct Child {
  bool ok = false;
  rusage usage{};
  double seconds = 0;
};

Child inChild(const std::function<bool()> &work) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0)
    _exit(work() ? 0 : 1);
  Child result;
  int status = 0;
  result.ok = child > 0 && wait4(child, &status, 0, &result.usage) == child && WIFEXITED(status) &&
              WEXITSTATUS(status) == 0;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

// ovalon-cli with these arguments, its output thrown away.
Child cli(const std::vector<std::string> &arguments) {
  return inChild([&] {
    std::vector<std::string> argv{OVALON_CLI_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char *> raw;
    for (std::string &argument : argv)
      raw.push_back(argument.data());
    raw.push_back(nullptr);
    if (!freopen("/dev/null", "w", stdout))
      return false;
    execv(OVALON_CLI_PATH, raw.data());
    return false;
  });
}

// `pages` simulated students, one page each, in files of pagesPerFile pages.
std::vector<std::string> writeScans(const fs::path &folder, int pages) {
  const Exam exam = benchExam();
  const auto students = ClassSimulator::madeUpStudents(pages, exam.idDigits, 5);
  std::vector<std::string> files;
  for (int first = 0; first < pages; first += pagesPerFile) {
    fs::path file = folder / ("scan-" + std::to_string(first / pagesPerFile + 1) + ".pdf");
    const int count = std::min(pagesPerFile, pages - first);
    bool made =
        inChild([&] {
          std::vector<Student> part(students.begin() + first, students.begin() + first + count);
          auto sheets = ClassSimulator::studentSheets(exam, part, 100 + first);
          auto pdf = ScanSimulator::scan(
              exam, sheets, ClassSimulator::distortions(count, ScanQuality::mild, first), 150);
          return pdf && FileIO::writeAtomically(file, *pdf).has_value();
        }).ok;
    if (!made)
      return {};
    files.push_back(file.string());
  }
  return files;
}

// Grades `state.range(0)` pages in one run of ovalon-cli grade, then lists the library.
void gradeAClassThenList(benchmark::State &state) {
  const int pages = static_cast<int>(state.range(0));
  const fs::path root =
      fs::temp_directory_path() / ("ovalon-bench-library-" + std::to_string(getpid()));
  const fs::path library = root / "Library";
  fs::create_directories(root);
  const std::vector<std::string> scans = writeScans(root, pages);
  const ExamLibrary stored{library};
  for (auto _ : state) {
    if (scans.empty() || !stored.create(ExamDocument::make(benchExam()))) {
      state.SkipWithError("the scans or the test couldn't be made");
      break;
    }
    std::vector<std::string> grade{"--library", library.string(), "grade", "Library bench"};
    grade.insert(grade.end(), scans.begin(), scans.end());
    const Child graded = cli(grade);
    const Child listed = cli({"--library", library.string(), "list"});
    const auto start = std::chrono::steady_clock::now();
    const auto listing = stored.list();
    const double inProcess =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!graded.ok || !listed.ok || listing.tests.size() != 1 ||
        listing.tests[0].sheetCount != pages) {
      state.SkipWithError("the class wasn't graded or listed");
      break;
    }
    // ru_maxrss is in kilobytes on Linux.
    state.counters["grade peak MB"] = static_cast<double>(graded.usage.ru_maxrss) / 1024;
    state.counters["grade s"] = graded.seconds;
    state.counters["document MB"] =
        static_cast<double>(fs::file_size(stored.documentPath(benchExam().id))) / 1e6;
    state.counters["list s"] = listed.seconds;
    state.counters["list peak MB"] = static_cast<double>(listed.usage.ru_maxrss) / 1024;
    state.counters["list() in-process s"] = inProcess;
  }
  std::error_code ignored;
  fs::remove_all(root, ignored);
}
BENCHMARK(gradeAClassThenList)
    ->Arg(500)
    ->Arg(5000)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace
} // namespace ovalon
