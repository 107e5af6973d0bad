#include "reports/Gradebook.h"

#include "grading/Scoring.h"
#include "model/Choices.h"
#include "model/Roster.h"
#include "reports/CSVLine.h"
#include "reports/ClassOrder.h"
#include "reports/PointsText.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <set>

namespace ovalon::Gradebook {

namespace {

std::string percentText(double percent) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", percent);
  return buffer;
}

int answerColumns(const Exam &exam, bool includeAnswers) {
  return includeAnswers ? std::max(exam.questionCount, 0) : 0;
}

} // namespace

std::vector<std::string> header(const Exam &exam, bool includeAnswers) {
  std::vector<std::string> cells{"Student ID", "Last Name", "First Name", "Version",
                                 "Score",      "Possible",  "Percent"};
  for (int q = 1; q <= answerColumns(exam, includeAnswers); ++q)
    cells.push_back("Q" + std::to_string(q));
  return cells;
}

std::vector<Row> rows(const Exam &exam, const std::vector<Student> &students,
                      const std::vector<ScannedSheet> &sheets, bool includeAnswers) {
  const Roster roster{students, std::nullopt};
  std::set<std::string> present; // ID keys of students with a counted sheet
  std::vector<Row> result;
  for (const ScannedSheet &sheet : sheets) {
    if (sheet.excluded)
      continue;
    const SheetScore score = Scoring::score(sheet, exam);
    const std::string id = sheet.studentID().value_or("");
    std::optional<Student> student;
    if (!id.empty())
      student = roster.student(id);
    Row row;
    row.number = sheet.number;
    if (student) {
      present.insert(Student::idKey(student->id));
      row.matched = true;
      row.sortName = student->sortName();
      row.fields = {student->id, student->lastName, student->firstName};
    } else {
      row.sortName = id;
      row.fields = {id, "", id.empty() ? "Sheet " + std::to_string(sheet.number) : ""};
    }
    row.fields.push_back(Choices::letter(sheet.version));
    row.fields.push_back(pointsText(score.earned));
    row.fields.push_back(pointsText(score.possible));
    row.fields.push_back(percentText(score.percent()));
    for (int q = 0; q < answerColumns(exam, includeAnswers); ++q) {
      const size_t index = static_cast<size_t>(q);
      const std::optional<int> response =
          index < score.responses.size() ? score.responses[index] : std::nullopt;
      row.fields.push_back(response ? Choices::letter(*response) : "");
    }
    result.push_back(std::move(row));
  }

  // Every roster student appears, so the file imports as a complete class list.
  for (const Student &student : students) {
    if (present.contains(Student::idKey(student.id)))
      continue;
    Row row;
    row.matched = true;
    row.sortName = student.sortName();
    row.number = std::numeric_limits<int>::max();
    row.fields = {
        student.id, student.lastName, student.firstName, "", "", pointsText(exam.possiblePoints()),
        ""};
    row.fields.resize(row.fields.size() + static_cast<size_t>(answerColumns(exam, includeAnswers)));
    result.push_back(std::move(row));
  }

  sortAsClassList(result);
  return result;
}

std::string csv(const Exam &exam, const std::vector<Student> &students,
                const std::vector<ScannedSheet> &sheets, bool includeAnswers) {
  std::string text = CSV::line(header(exam, includeAnswers)) + "\r\n";
  for (const Row &row : rows(exam, students, sheets, includeAnswers))
    text += CSV::line(row.fields) + "\r\n";
  return text;
}

Bytes data(const Exam &exam, const std::vector<Student> &students,
           const std::vector<ScannedSheet> &sheets, bool includeAnswers) {
  Bytes bytes{0xEF, 0xBB, 0xBF};
  const std::string text = csv(exam, students, sheets, includeAnswers);
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

} // namespace ovalon::Gradebook
