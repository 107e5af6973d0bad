#include "simulator/SampleClass.h"

#include "simulator/ClassSimulator.h"
#include "simulator/ScanSimulator.h"

#include <algorithm>
#include <array>
#include <string>

namespace ovalon::SampleClass {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 26> names{{
    {"Avery", "Brooks"}, {"Jordan", "Pike"},  {"Rowan", "Ellis"}, {"Sam", "Ortiz"},
    {"Maya", "Chen"},    {"Leo", "Garcia"},   {"Nora", "Patel"},  {"Eli", "Novak"},
    {"Iris", "Hale"},    {"Theo", "Grant"},   {"Zara", "Reyes"},  {"Owen", "Park"},
    {"Lena", "Moss"},    {"Caleb", "Rhodes"}, {"Ruby", "Dalton"}, {"Felix", "Ward"},
    {"Hazel", "Quinn"},  {"Miles", "Archer"}, {"Ivy", "Lambert"}, {"Jonah", "Price"},
    {"Clara", "Benson"}, {"Ezra", "Fields"},  {"Willa", "Stone"}, {"Hugo", "Marsh"},
    {"June", "Calder"},  {"Silas", "Boyd"},
}};

constexpr int firstID = 204501;
constexpr uint64_t answerSeed = 7;
constexpr std::array<int, 4> hardQuestions{3, 11, 17, 24};
constexpr int trickQuestion = 17; // strong students all give the same wrong answer here
constexpr double createdBeforeNow = 259200;

int printedAnswer(const SimulatedSheet &sheet, int position) {
  return sheet.answers[static_cast<size_t>(position)].value_or(0);
}

// The irregularities the review screens show off, by roster-sorted index.
void addIrregularities(std::vector<SimulatedSheet> &sheets, int questionCount) {
  auto sheet = [&](size_t i) { return i < sheets.size() ? &sheets[i] : nullptr; };
  auto has = [&](int position) { return position < questionCount; };
  if (auto *s = sheet(2); s && has(5))
    s->styles[5] = PencilMark::light;
  if (auto *s = sheet(6); s && has(12))
    s->extras.push_back({12, (printedAnswer(*s, 12) + 2) % 4, PencilMark::solid});
  if (auto *s = sheet(10); s && has(20))
    s->answers[20] = std::nullopt;
  if (auto *s = sheet(14); s && has(8))
    s->styles[8] = PencilMark::check;
  if (auto *s = sheet(18); s && has(3))
    s->extras.push_back({3, (printedAnswer(*s, 3) + 1) % 4, PencilMark::erased});
  if (auto *s = sheet(21))
    s->studentID = "204599";
  if (auto *s = sheet(23))
    s->idStyle = PencilMark::light;
}

} // namespace

Exam exam(Date now) {
  Exam exam =
      Exam::make(*Uuid::parse(testID), std::string(title),
                 Date{now.sinceReferenceDate - createdBeforeNow}, 30, 4, 6, Paper::letter, seed);
  exam.applyKeyText(keyText, 0);
  exam.setVersionCount(2);
  return exam;
}

Roster roster() {
  Roster roster;
  roster.sourceName = std::string(rosterSource);
  for (size_t i = 0; i < names.size(); ++i)
    roster.students.push_back({std::to_string(firstID + static_cast<int>(i)),
                               std::string(names[i].first), std::string(names[i].second)});
  return roster;
}

std::vector<SimulatedSheet> sampleSheets(const Exam &exam, const Roster &roster) {
  std::vector<SimulatedSheet> sheets =
      ClassSimulator::studentSheets(exam, roster.sorted(), answerSeed,
                                    {{hardQuestions.begin(), hardQuestions.end()}, trickQuestion});
  addIrregularities(sheets, exam.questionCount);
  return sheets;
}

std::vector<ScanDistortion> distortions(int count) {
  return ClassSimulator::distortions(count, ScanQuality::mild, seed);
}

std::optional<Bytes> scanPDF(const Exam &exam, const Roster &roster) {
  const std::vector<SimulatedSheet> sheets = sampleSheets(exam, roster);
  return ScanSimulator::scan(exam, sheets, distortions(static_cast<int>(sheets.size())));
}

} // namespace ovalon::SampleClass
