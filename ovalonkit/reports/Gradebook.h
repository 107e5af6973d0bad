#pragma once

#include "grading/ScannedSheet.h"
#include "model/Bytes.h"
#include "model/Exam.h"
#include "model/Student.h"

#include <string>
#include <vector>

// A test's scores as a CSV file for spreadsheets and school gradebooks: one row per graded
// sheet that is not left out, one per roster student without a sheet, optionally followed
// by every answer in master order.
namespace ovalon::Gradebook {

struct Row {
  bool matched = false;            // belongs to a roster student
  std::string sortName;            // "Last, First" when matched; else the sheet's student ID or ""
  int number = 0;                  // sheet number; the largest int for a student without a sheet
  std::vector<std::string> fields; // unescaped cells in column order

  bool operator==(const Row &) const = default;
};

// "Student ID", "Last Name", …, "Percent", then "Q1" … when answers are included.
std::vector<std::string> header(const Exam &exam, bool includeAnswers);

// The rows in file order: roster students (and their sheets) by name, then sheets that
// match nobody by their ID; equal names by sheet number.
std::vector<Row> rows(const Exam &exam, const std::vector<Student> &students,
                      const std::vector<ScannedSheet> &sheets, bool includeAnswers);

// The header and rows as CSV lines, each ending in CR LF.
std::string csv(const Exam &exam, const std::vector<Student> &students,
                const std::vector<ScannedSheet> &sheets, bool includeAnswers);

// The file: a UTF-8 byte-order mark, then the CSV text.
Bytes data(const Exam &exam, const std::vector<Student> &students,
           const std::vector<ScannedSheet> &sheets, bool includeAnswers);

} // namespace ovalon::Gradebook
