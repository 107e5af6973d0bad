#include "simulator/ClassSimulator.h"

#include "model/SplitMix64.h"

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <string_view>

namespace ovalon::ClassSimulator {

namespace {

constexpr std::string_view handwriting = "Humor Sans";

constexpr std::array<std::string_view, 24> firstNames{
    "Ada",   "Basil", "Cora",  "Dmitri", "Edith", "Farah",  "Gideon", "Hana",
    "Idris", "Jade",  "Kofi",  "Lucia",  "Mateo", "Nina",   "Oscar",  "Priya",
    "Quinn", "Rosa",  "Soren", "Talia",  "Uma",   "Victor", "Wren",   "Yusuf",
};
constexpr std::array<std::string_view, 24> lastNames{
    "Abbott",  "Bauer",  "Castillo", "Dunn",      "Eriksen",  "Fischer",  "Gallo",  "Huang",
    "Ivanova", "Jensen", "Kowalski", "Lindqvist", "Mensah",   "Nakamura", "Okafor", "Petrov",
    "Rahman",  "Santos", "Tanaka",   "Vance",     "Whitaker", "Xu",       "Yilmaz", "Zeller",
};

int correctChoice(const Exam &exam, int question) {
  const auto &correct = exam.key[static_cast<size_t>(question)].correct;
  return correct.empty() ? 0 : *correct.begin();
}

double between(SplitMix64 &random, double low, double high) {
  return low + (high - low) * random.nextUnit();
}

ScanDistortion mildDistortion(SplitMix64 &random) {
  ScanDistortion distortion;
  distortion.rotation = between(random, -1.2, 1.2);
  distortion.shear = between(random, -0.004, 0.004);
  distortion.scale = between(random, 0.985, 1.01);
  distortion.offset = {between(random, -5, 5), between(random, -5, 5)};
  distortion.noise = 6;
  distortion.specks = 30 + static_cast<int>(random.next() % 40);
  distortion.paper = static_cast<uint8_t>(238 + random.next() % 14);
  distortion.seed = random.next();
  return distortion;
}

ScanDistortion harshDistortion(SplitMix64 &random) {
  ScanDistortion distortion;
  distortion.rotation = between(random, -3, 3);
  distortion.shear = between(random, -0.01, 0.01);
  distortion.scale = between(random, 0.97, 1.02);
  distortion.offset = {between(random, -12, 12), between(random, -12, 12)};
  distortion.noise = 16;
  distortion.specks = 150 + static_cast<int>(random.next() % 150);
  distortion.paper = static_cast<uint8_t>(215 + random.next() % 25);
  distortion.seed = random.next();
  // Now and then a sheet goes into the feeder the wrong way round.
  if (random.next() % 4 == 0)
    distortion.rotation += 180;
  return distortion;
}

} // namespace

std::vector<SimulatedSheet> studentSheets(const Exam &exam, const std::vector<Student> &students,
                                          uint64_t seed, const Difficulty &difficulty) {
  const int questions = exam.questionCount;
  const auto count = static_cast<uint64_t>(std::max(1, exam.choiceCount));
  SplitMix64 random{seed};

  std::vector<double> hardness;
  for (int q = 0; q < questions; ++q)
    hardness.push_back(std::ranges::find(difficulty.hardQuestions, q) !=
                               difficulty.hardQuestions.end()
                           ? 0.45
                           : random.nextUnit() * 0.25 + 0.05);
  // The wrong answer a question tempts most students into.
  std::vector<int> commonWrong;
  for (int q = 0; q < questions; ++q)
    commonWrong.push_back(static_cast<int>(
        (static_cast<uint64_t>(correctChoice(exam, q)) + 1 + random.next() % 3) % count));

  std::vector<SimulatedSheet> sheets;
  const size_t versionCount = std::max<size_t>(1, exam.versions.size());
  for (size_t i = 0; i < students.size(); ++i) {
    const double ability = random.nextUnit() * 0.48 + 0.5;
    const int version = static_cast<int>(i % versionCount);

    std::vector<int> master;
    for (int q = 0; q < questions; ++q) {
      const double p = ability - hardness[static_cast<size_t>(q)] + 0.25;
      if (random.nextUnit() < std::min(p, 0.98))
        master.push_back(correctChoice(exam, q));
      else if (random.nextUnit() < 0.7)
        master.push_back(commonWrong[static_cast<size_t>(q)]);
      else
        master.push_back(static_cast<int>(random.next() % count));
    }
    if (difficulty.trickQuestion && ability > 0.75 && questions > *difficulty.trickQuestion)
      master[static_cast<size_t>(*difficulty.trickQuestion)] = 1;

    SimulatedSheet sheet;
    sheet.version = version;
    const ExamVersion *printed = exam.version(version);
    for (int position = 0; position < questions; ++position) {
      const int question = printed ? printed->question(position) : position;
      const int choice = master[static_cast<size_t>(question)];
      sheet.answers.push_back(printed ? printed->printedChoice(choice, position) : choice);
    }
    if (!students[i].id.empty())
      sheet.studentID = students[i].id;
    sheet.name = students[i].name();
    sheet.nameFont = std::string(handwriting);
    sheets.push_back(std::move(sheet));
  }
  return sheets;
}

SimulatedSheet keySheet(const Exam &exam) {
  SimulatedSheet sheet;
  sheet.version = 0;
  sheet.isKey = true;
  for (const std::set<int> &slots : exam.printedKey(0))
    sheet.answers.push_back(slots.empty() ? std::nullopt : std::optional(*slots.begin()));
  return sheet;
}

std::vector<Student> madeUpStudents(int count, int idDigits, uint64_t seed,
                                    const std::vector<Student> &taken) {
  SplitMix64 random{seed};
  std::vector<size_t> names(firstNames.size() * lastNames.size());
  for (size_t i = 0; i < names.size(); ++i)
    names[i] = i;
  random.shuffle(names);

  std::set<std::string> usedIDs;
  for (const Student &student : taken)
    usedIDs.insert(Student::idKey(student.id));
  // Leading digit 1–9, so an ID never loses a digit to leading zeros.
  uint64_t low = 1;
  for (int d = 1; d < idDigits; ++d)
    low *= 10;
  const uint64_t range = idDigits > 0 ? 9 * low : 0;

  std::vector<Student> students;
  for (int i = 0; i < std::max(0, count); ++i) {
    const size_t name = names[static_cast<size_t>(i) % names.size()];
    Student student;
    student.firstName = std::string(firstNames[name % firstNames.size()]);
    student.lastName = std::string(lastNames[name / firstNames.size()]);
    if (range > 0) {
      // Distinct while there are IDs enough; a tiny ID grid has to repeat some.
      const bool distinct = usedIDs.size() < range;
      do
        student.id = std::to_string(low + random.bounded(range));
      while (distinct && usedIDs.contains(Student::idKey(student.id)));
      usedIDs.insert(Student::idKey(student.id));
    }
    students.push_back(std::move(student));
  }
  return students;
}

std::vector<ScanDistortion> distortions(int count, ScanQuality quality, uint64_t seed) {
  SplitMix64 random{seed};
  std::vector<ScanDistortion> result;
  for (int i = 0; i < count; ++i) {
    switch (quality) {
    case ScanQuality::none:
      // Straight and clean; only the pencil's wobble differs from sheet to sheet.
      result.emplace_back().seed = random.next();
      break;
    case ScanQuality::mild:
      result.push_back(mildDistortion(random));
      break;
    case ScanQuality::harsh:
      result.push_back(harshDistortion(random));
      break;
    }
  }
  return result;
}

} // namespace ovalon::ClassSimulator
