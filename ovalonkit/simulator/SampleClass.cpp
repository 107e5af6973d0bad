#include "simulator/SampleClass.h"

#include "model/SplitMix64.h"
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
constexpr std::string_view handwriting = "Humor Sans";

int correctChoice(const Exam &exam, int question) {
  const auto &correct = exam.key[static_cast<size_t>(question)].correct;
  return correct.empty() ? 0 : *correct.begin();
}

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
  const int questions = exam.questionCount;
  const int choices = std::max(1, exam.choiceCount);
  const auto count = static_cast<uint64_t>(choices);
  SplitMix64 random{answerSeed};

  std::vector<double> difficulty;
  for (int q = 0; q < questions; ++q)
    difficulty.push_back(std::ranges::find(hardQuestions, q) != hardQuestions.end()
                             ? 0.45
                             : random.nextUnit() * 0.25 + 0.05);
  std::vector<int> commonWrong;
  for (int q = 0; q < questions; ++q)
    commonWrong.push_back(static_cast<int>(
        (static_cast<uint64_t>(correctChoice(exam, q)) + 1 + random.next() % 3) % count));

  std::vector<SimulatedSheet> sheets;
  const std::vector<Student> students = roster.sorted();
  const size_t versionCount = std::max<size_t>(1, exam.versions.size());
  for (size_t i = 0; i < students.size(); ++i) {
    const double ability = random.nextUnit() * 0.48 + 0.5;
    const int version = static_cast<int>(i % 2 % versionCount);

    std::vector<int> master;
    for (int q = 0; q < questions; ++q) {
      const double p = ability - difficulty[static_cast<size_t>(q)] + 0.25;
      if (random.nextUnit() < std::min(p, 0.98))
        master.push_back(correctChoice(exam, q));
      else if (random.nextUnit() < 0.7)
        master.push_back(commonWrong[static_cast<size_t>(q)]);
      else
        master.push_back(static_cast<int>(random.next() % count));
    }
    if (ability > 0.75 && questions > trickQuestion)
      master[trickQuestion] = 1;

    SimulatedSheet sheet;
    sheet.version = version;
    const ExamVersion *printed = exam.version(version);
    for (int position = 0; position < questions; ++position) {
      const int question = printed ? printed->question(position) : position;
      const int choice = master[static_cast<size_t>(question)];
      sheet.answers.push_back(printed ? printed->printedChoice(choice, position) : choice);
    }
    sheet.studentID = students[i].id;
    sheet.idStyle = PencilMark::solid;
    sheet.name = students[i].name();
    sheet.nameFont = std::string(handwriting);
    sheet.nameSize = 14;
    sheet.nameSlant = 0;
    sheets.push_back(std::move(sheet));
  }
  addIrregularities(sheets, questions);
  return sheets;
}

std::vector<ScanDistortion> distortions(int count) {
  SplitMix64 random{seed};
  auto between = [&](double low, double high) { return low + (high - low) * random.nextUnit(); };
  std::vector<ScanDistortion> result;
  for (int i = 0; i < count; ++i) {
    ScanDistortion distortion;
    distortion.rotation = between(-1.2, 1.2);
    distortion.shear = between(-0.004, 0.004);
    distortion.scale = between(0.985, 1.01);
    distortion.offset = {between(-5, 5), between(-5, 5)};
    distortion.noise = 6;
    distortion.specks = 30 + static_cast<int>(random.next() % 40);
    distortion.paper = static_cast<uint8_t>(238 + random.next() % 14);
    distortion.seed = random.next();
    result.push_back(distortion);
  }
  return result;
}

std::optional<Bytes> scanPDF(const Exam &exam, const Roster &roster) {
  const std::vector<SimulatedSheet> sheets = sampleSheets(exam, roster);
  return ScanSimulator::scan(exam, sheets, distortions(static_cast<int>(sheets.size())));
}

} // namespace ovalon::SampleClass
