#pragma once

#include "model/Exam.h"
#include "model/Student.h"
#include "simulator/ScanDistortion.h"
#include "simulator/ScanQuality.h"
#include "simulator/SimulatedSheet.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace ovalon {

// A made-up class sitting a test: who the students are, how each one answers and how their
// sheets come out of the scanner. Everything is drawn from a seed, so a seed always gives
// the same class.
namespace ClassSimulator {

// Questions most students find hard, and one that strong students all get wrong the same way.
struct Difficulty {
  std::vector<int> hardQuestions;
  std::optional<int> trickQuestion;

  bool operator==(const Difficulty &) const = default;
};

// One filled-in sheet per student, in the order given: answers drawn for each student's
// ability and each question's difficulty, versions taken in turn A, B, …, the student's ID
// bubbled and name handwritten.
std::vector<SimulatedSheet> studentSheets(const Exam &exam, const std::vector<Student> &students,
                                          uint64_t seed, const Difficulty &difficulty = {});

// The answer key bubbled on a version A key sheet: the first correct choice of each question,
// blank where the key has none.
SimulatedSheet keySheet(const Exam &exam);

// `count` students with made-up names and distinct IDs of `idDigits` digits (no IDs for
// none), none of them sharing an ID with `taken`.
std::vector<Student> madeUpStudents(int count, int idDigits, uint64_t seed,
                                    const std::vector<Student> &taken = {});

// How each of `count` sheets comes out of the scanner, each a little differently.
std::vector<ScanDistortion> distortions(int count, ScanQuality quality, uint64_t seed);

} // namespace ClassSimulator

} // namespace ovalon
