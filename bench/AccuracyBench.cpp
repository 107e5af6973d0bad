// How accurately the reader reads pages captured under each named capture condition: a
// simulated class of a 60-question, A–E, 8-digit-ID test is captured the way a copier or a
// phone captures it, read through the public reader (Grader), and every answer row and ID
// digit is compared with what the student marked.
//
//   ovalon_accuracy [--condition NAME]… [--sheets N]
//
// Prints one table row per condition. Not a test: it takes minutes, and its figures are
// for people to read.

#include "library/FileIO.h"
#include "model/Exam.h"
#include "model/SplitMix64.h"
#include "scanning/Grader.h"
#include "sheets/SheetLayout.h"
#include "simulator/CaptureConditions.h"
#include "simulator/CaptureSimulator.h"
#include "simulator/ClassSimulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace ovalon {
namespace {

constexpr int questions = 60;
constexpr int choices = 5;
constexpr int idDigits = 8;
constexpr int defaultSheets = 34; // 2,040 answer rows
constexpr uint64_t classSeed = 60;
constexpr size_t photosAtOnce = 6;

Exam accuracyExam() {
  Exam exam = Exam::make(*Uuid::parse("A7C3E1B5-2D4F-4A6B-8C0D-1E2F3A4B5C6D"), "Accuracy", Date{},
                         questions, choices, idDigits, Paper::letter, 17);
  exam.setVersionCount(2);
  return exam;
}

// The students' answers, with the doubtful marks every class has: rows left blank, light
// marks, two bubbles filled, a rubbed-out second mark and check marks.
std::vector<SimulatedSheet> classSheets(const Exam &exam, int count) {
  const auto students = ClassSimulator::madeUpStudents(count, idDigits, classSeed);
  std::vector<SimulatedSheet> sheets = ClassSimulator::studentSheets(exam, students, classSeed);
  SplitMix64 random{classSeed};
  for (SimulatedSheet &sheet : sheets)
    for (int position = 0; position < questions; ++position) {
      const double u = random.nextUnit();
      const int other = static_cast<int>(
          (sheet.answers[static_cast<size_t>(position)].value_or(0) + 1 + random.next() % 4) %
          choices);
      if (u < 0.04)
        sheet.answers[static_cast<size_t>(position)].reset();
      else if (u < 0.06)
        sheet.styles[position] = PencilMark::light;
      else if (u < 0.075)
        sheet.extras.push_back({position, other, PencilMark::solid});
      else if (u < 0.09)
        sheet.extras.push_back({position, other, PencilMark::erased});
      else if (u < 0.1)
        sheet.styles[position] = PencilMark::check;
    }
  return sheets;
}

// What the student marked in one row.
struct Marked {
  enum class Kind { solid, doubtful, two, blank };
  Kind kind = Kind::blank;
  std::optional<int> answer; // the one bubble marked, for solid and doubtful rows
};

Marked marked(const SimulatedSheet &sheet, int position) {
  const std::optional<int> answer = sheet.answers[static_cast<size_t>(position)];
  std::optional<int> second;
  bool erased = false;
  for (const ExtraMark &extra : sheet.extras)
    if (extra.position == position) {
      if (extra.style == PencilMark::erased)
        erased = true;
      else
        second = extra.choice;
    }
  if (answer && second)
    return {Marked::Kind::two, std::nullopt};
  if (!answer && !second)
    return {erased ? Marked::Kind::doubtful : Marked::Kind::blank, std::nullopt};
  const auto style = sheet.styles.find(position);
  const bool solid =
      !second && !erased && (style == sheet.styles.end() || style->second == PencilMark::solid);
  return {solid ? Marked::Kind::solid : Marked::Kind::doubtful, answer ? answer : second};
}

struct Tally {
  int pages = 0, notRead = 0;
  int rows = 0, correct = 0, flagged = 0, silent = 0, solid = 0, needless = 0;
  int digits = 0, digitsCorrect = 0, digitsFlagged = 0, digitsSilent = 0;
};

void count(Tally &tally, const PageOutcome &outcome, const SimulatedSheet &sheet) {
  ++tally.pages;
  if (outcome.problem || !outcome.identity) {
    ++tally.notRead;
    return;
  }
  for (const QuestionRead &row : outcome.questions) {
    const Marked truth = marked(sheet, row.position);
    ++tally.rows;
    tally.solid += truth.kind == Marked::Kind::solid;
    if (row.mark.choice) {
      const bool right =
          (truth.kind == Marked::Kind::solid || truth.kind == Marked::Kind::doubtful) &&
          truth.answer == row.mark.choice;
      ++(right ? tally.correct : tally.silent);
    } else if (truth.kind == Marked::Kind::blank && row.mark.flag == MarkFlag::blank) {
      ++tally.correct;
    } else {
      ++tally.flagged;
      tally.needless += truth.kind == Marked::Kind::solid;
    }
  }
  const std::string id = sheet.studentID.value_or("");
  for (size_t column = 0; column < outcome.idColumns.size(); ++column) {
    const MarkRead &digit = outcome.idColumns[column];
    ++tally.digits;
    if (!digit.choice)
      ++tally.digitsFlagged;
    else if (column < id.size() && id[column] - '0' == *digit.choice)
      ++tally.digitsCorrect;
    else
      ++tally.digitsSilent;
  }
}

std::vector<PageCapture> capturesFor(const CaptureCondition &condition, const Exam &exam,
                                     size_t count) {
  std::vector<PageCapture> captures;
  for (size_t i = 0; i < count; ++i)
    captures.push_back(CaptureConditions::forSheet(condition, static_cast<int>(i),
                                                   SheetLayout(exam), exam.pageCount()));
  return captures;
}

// Copier conditions: one PDF of the class, graded as a scan is.
std::vector<PageOutcome> readCopied(const Exam &exam, const std::vector<SimulatedSheet> &sheets,
                                    const std::vector<PageCapture> &captures) {
  const auto pdf = CaptureSimulator::capturePDF(exam, sheets, captures);
  const auto path = std::filesystem::temp_directory_path() /
                    ("ovalon-accuracy-" + std::to_string(getpid()) + ".pdf");
  if (!pdf || !FileIO::writeAtomically(path, *pdf))
    return {};
  auto outcomes = Grader::gradePDF(path, exam);
  std::filesystem::remove(path);
  return outcomes ? *std::move(outcomes) : std::vector<PageOutcome>{};
}

// Photo conditions: the phone's JPEGs decoded and graded as imported photos are, a few at a
// time; each batch is photographed on two threads.
std::vector<PageOutcome> readPhotographed(const Exam &exam,
                                          const std::vector<SimulatedSheet> &sheets,
                                          const std::vector<PageCapture> &captures) {
  std::vector<PageOutcome> outcomes;
  for (size_t first = 0; first < sheets.size(); first += photosAtOnce) {
    const size_t last = std::min(sheets.size(), first + photosAtOnce);
    std::vector<GrayImage> photos(last - first);
    auto take = [&](size_t parity) {
      for (size_t i = first + parity; i < last; i += 2)
        photos[i - first] =
            CaptureSimulator::seen(CaptureSimulator::capture(exam, sheets[i], 1, captures[i]));
    };
    {
      std::jthread other(take, 1);
      take(0);
    }
    for (PageOutcome &outcome : Grader::gradeImages(photos, "Phone photos", exam))
      outcomes.push_back(std::move(outcome));
  }
  return outcomes;
}

Tally measure(const CaptureCondition &condition, const Exam &exam,
              const std::vector<SimulatedSheet> &sheets) {
  const auto captures = capturesFor(condition, exam, sheets.size());
  const auto outcomes = condition.medium == CaptureMedium::copier
                            ? readCopied(exam, sheets, captures)
                            : readPhotographed(exam, sheets, captures);
  Tally tally;
  for (size_t i = 0; i < sheets.size(); ++i) {
    if (i < outcomes.size())
      count(tally, outcomes[i], sheets[i]);
    else {
      ++tally.pages;
      ++tally.notRead;
    }
  }
  return tally;
}

std::string percent(int part, int whole) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f %%", whole > 0 ? 100.0 * part / whole : 0.0);
  return text;
}

void printRow(const std::string &name, const Tally &t) {
  std::cout << "| " << name << " | " << t.pages << " | " << t.notRead << " | " << t.rows << " | "
            << t.correct << " | " << t.flagged << " | " << t.silent << " | " << t.needless << " ("
            << percent(t.needless, t.solid) << ") | " << t.digits << " | " << t.digitsCorrect
            << " | " << t.digitsFlagged << " | " << t.digitsSilent << " |" << std::endl;
}

int usage() {
  std::cerr << "Usage: ovalon_accuracy [--condition NAME]... [--sheets N]\n";
  for (const CaptureCondition &condition : CaptureConditions::all())
    std::cerr << "  " << condition.name << ": " << condition.summary << "\n";
  return 2;
}

} // namespace
} // namespace ovalon

int main(int argc, char **argv) {
  using namespace ovalon;
  std::vector<CaptureCondition> conditions;
  int sheets = defaultSheets;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--condition" && i + 1 < argc) {
      const auto condition = CaptureConditions::named(argv[++i]);
      if (!condition)
        return usage();
      conditions.push_back(*condition);
    } else if (argument == "--sheets" && i + 1 < argc) {
      sheets = std::atoi(argv[++i]);
      if (sheets < 1)
        return usage();
    } else {
      return usage();
    }
  }
  if (conditions.empty())
    conditions = CaptureConditions::all();

  const Exam exam = accuracyExam();
  const auto class_ = classSheets(exam, sheets);
  std::cout << "| condition | pages | not read | rows | correct | flagged | silent misreads | "
               "needless flags | ID digits | correct | flagged | silent misreads |\n"
               "|---|---|---|---|---|---|---|---|---|---|---|---|"
            << std::endl;
  for (const CaptureCondition &condition : conditions) {
    const auto start = std::chrono::steady_clock::now();
    printRow(condition.name, measure(condition, exam, class_));
    std::cerr << condition.name << ": "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()
              << " s\n";
  }
  std::cout << "\nRows are the answer rows of the pages read; ID digits are counted apart. A "
               "silent misread is a row or digit read as a clean answer other than the one the "
               "student marked alone (a blank row or two marks read as one answer included). "
               "Needless flags are solid single marks flagged, as a share of all solid single "
               "marks; blank rows flagged blank count as correct.\n";
  return 0;
}
