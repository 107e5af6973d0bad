#pragma once

#include "grading/ScannedSheet.h"
#include "model/Exam.h"
#include "model/Roster.h"

#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// What one student gets back on paper: who, the score, and the questions to look at again,
// each in the terms printed on the student's own version.
struct ResultSlip {
  struct Miss {
    int number = 0;                   // printed question number
    std::optional<std::string> given; // the printed letter marked; absent for no answer
    std::string correct;              // the printed key letters joined with "/"

    bool operator==(const Miss &) const = default;
  };

  std::string name;
  std::string studentID; // empty when the sheet has none
  std::string version;   // letter, "?" when the sheet's version is not the test's
  double earned = 0;
  double possible = 0;
  std::vector<Miss> misses; // in printed order
  bool showsVersion = false;

  static ResultSlip make(const ScannedSheet &sheet, const Exam &exam, std::string name,
                         std::string studentID);

  // One slip per sheet not left out, named from the roster where its ID is found, in the
  // gradebook's order.
  static std::vector<ResultSlip> all(const Exam &exam, const Roster &roster,
                                     const std::vector<ScannedSheet> &sheets);

  bool operator==(const ResultSlip &) const = default;
};

} // namespace ovalon
