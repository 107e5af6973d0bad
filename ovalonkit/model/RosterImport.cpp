#include "model/RosterImport.h"

#include "model/CSV.h"
#include "model/TextCompare.h"

#include <algorithm>
#include <optional>
#include <span>
#include <unordered_set>

namespace ovalon::RosterImport {
namespace {

using Row = std::vector<std::string>;

// Header names as compared (see headingKey), each list in priority order. "student" is both
// an ID and a name heading; which one it is depends on what is under it. School systems name
// the ID column in many ways; the specific names come before the generic "number".
// clang-format off
constexpr std::string_view idNames[]{
    "id", "studentid", "studentidnumber", "studentnumber", "studentno", "student#",
    "idnumber", "idno", "id#",
    "pupilid", "pupilnumber", "pupilno", "learnerid", "learnernumber",
    "permid", "permnumber", "perm#", "permanentid", "perm",
    "matricule", "matricula", "studentmatricule",
    "admissionnumber", "admissionno", "rollnumber", "rollno", "candidatenumber",
    "enrollmentnumber", "enrolmentnumber", "studentidentifier",
    "number", "sisid", "student", "localid", "#"};
constexpr std::string_view firstNames[]{
    "first", "firstname", "givenname", "given", "preferredname",
    "forename", "forenames", "givennames", "firstnames"};
constexpr std::string_view lastNames[]{
    "last", "lastname", "surname", "familyname", "family", "lastnames", "surnames"};
constexpr std::string_view fullNames[]{
    "name", "studentname", "fullname", "names", "student", "pupil", "pupilname", "learnername"};
// clang-format on

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string trimmed(std::string_view text) {
  auto isEdgeASCII = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
  if (text.empty() || (isEdgeASCII(text.front()) && isEdgeASCII(text.back()))) {
    size_t first = text.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string_view::npos)
      return {};
    size_t last = text.find_last_not_of(" \t\n\v\f\r");
    if (isEdgeASCII(text[first]) && isEdgeASCII(text[last]))
      return std::string(text.substr(first, last - first + 1));
  }
  // Spreadsheets also pad with no-break and other Unicode spaces.
  std::u32string codePoints = TextCompare::codePoints(text);
  auto first = std::ranges::find_if_not(codePoints, TextCompare::isWhiteSpace);
  auto last = std::find_if_not(codePoints.rbegin(), std::make_reverse_iterator(first),
                               TextCompare::isWhiteSpace);
  return TextCompare::utf8(std::u32string_view(first, last.base()));
}

// A heading as compared: folded (case, accents, full-width forms) and kept to its letters,
// digits and "#", so "Student_ID", "StudentID", "STUDENT-ID" and "Student ID" all match.
std::string headingKey(std::string_view cell) {
  std::u32string key;
  for (char32_t c : TextCompare::codePoints(TextCompare::fold(cell)))
    if (TextCompare::isLetter(c) || (c >= U'0' && c <= U'9') || c == U'#')
      key.push_back(c);
  return TextCompare::utf8(key);
}

std::optional<size_t> findColumn(const Row &header, std::span<const std::string_view> names) {
  for (std::string_view name : names)
    if (auto it = std::ranges::find(header, name); it != header.end())
      return static_cast<size_t>(it - header.begin());
  return std::nullopt;
}

std::string_view cell(const Row &row, std::optional<size_t> column) {
  if (!column || *column >= row.size())
    return {};
  return row[*column];
}

// A bare number of ID length, as a headerless file or a "student" column would hold.
bool looksLikeID(std::string_view value) {
  size_t first = value.find_first_not_of(' ');
  if (first == std::string_view::npos)
    return false;
  value = value.substr(first, value.find_last_not_of(' ') - first + 1);
  return value.size() <= 12 && std::ranges::all_of(value, isDigit);
}

// The digits of an ID cell, which may group them with spaces or hyphens; nothing when the
// cell holds anything else or no digit at all.
std::optional<std::string> idDigits(std::string_view value) {
  std::string digits;
  for (char c : value) {
    if (isDigit(c))
      digits += c;
    else if (c != ' ' && c != '-')
      return std::nullopt;
  }
  if (digits.empty())
    return std::nullopt;
  return digits;
}

// "row 4", "rows 4 and 9", "rows 4, 7 and 9", and past eight rows "and 5 more".
std::string rowList(const std::vector<int> &rows) {
  constexpr size_t listed = 8;
  std::string text = rows.size() == 1 ? "row " : "rows ";
  const size_t shown = rows.size() > listed + 1 ? listed : rows.size();
  for (size_t i = 0; i < shown; ++i) {
    if (i > 0)
      text += i + 1 == shown && shown == rows.size() ? " and " : ", ";
    text += std::to_string(rows[i]);
  }
  if (shown < rows.size())
    text += " and " + std::to_string(rows.size() - shown) + " more";
  return text;
}

// Each warning names the rows, as the teacher sees them in the spreadsheet.
std::vector<std::string> warnings(const std::vector<int> &skipped,
                                  const std::vector<int> &repeated) {
  std::vector<std::string> texts;
  if (const size_t n = skipped.size(); n > 0)
    texts.push_back(std::to_string(n) + " row" + (n == 1 ? "" : "s") + " without a numeric ID " +
                    (n == 1 ? "was" : "were") + " skipped (" + rowList(skipped) + ").");
  if (const size_t m = repeated.size(); m > 0)
    texts.push_back(std::to_string(m) + " repeated ID" + (m == 1 ? " was" : "s were") +
                    " skipped (" + rowList(repeated) + ").");
  return texts;
}

// The columns of a file, found from its header row, or from its first row when it has none.
struct Columns {
  std::optional<size_t> id, first, last, full;
  bool hasHeader = true;
};

std::expected<Columns, Failure> columnsOf(const std::vector<CSV::Row> &rows,
                                          const Options &options) {
  Row header;
  for (const std::string &field : rows[0].fields)
    header.push_back(headingKey(field));
  Columns columns{findColumn(header, idNames), findColumn(header, firstNames),
                  findColumn(header, lastNames), findColumn(header, fullNames)};

  if (!options.idColumn.empty()) {
    const std::string key = headingKey(options.idColumn);
    const std::string_view named[]{key};
    columns.id = findColumn(header, named);
    if (!columns.id)
      return std::unexpected(Failure::noSuchColumn(options.idColumn));
  } else if (columns.id && header[*columns.id] == "student") {
    std::string_view firstValue = rows.size() > 1 ? cell(rows[1].fields, columns.id) : "";
    if (!looksLikeID(firstValue))
      columns.id.reset();
  }
  if (columns.id && columns.full == columns.id)
    columns.full.reset();
  if (columns.id)
    return columns;

  if (columns.first || columns.last || columns.full)
    return std::unexpected(Failure::noIDColumn());
  // No heading we know: the first row is already a student.
  const Row &first = rows[0].fields;
  auto idIt = std::ranges::find_if(first, looksLikeID);
  if (idIt == first.end())
    return std::unexpected(Failure::noIDColumn());
  columns.id = static_cast<size_t>(idIt - first.begin());
  for (size_t column = 0; column < first.size(); ++column)
    if (column != *columns.id && !looksLikeID(first[column])) {
      columns.full = column;
      break;
    }
  columns.hasHeader = false;
  return columns;
}

std::vector<CSV::Row> trimmedRows(std::string_view text) {
  std::vector<CSV::Row> rows = CSV::numberedRows(text);
  for (CSV::Row &row : rows)
    for (std::string &field : row.fields)
      field = trimmed(field);
  return rows;
}

std::expected<std::string, Failure> decoded(const Bytes &data) {
  // A class list is a few kilobytes; anything this large is not one, and
  // reading it would only cost time and memory.
  constexpr size_t largestRoster = 16 * 1024 * 1024;
  if (data.size() > largestRoster)
    return std::unexpected(Failure::unreadable());
  std::optional<std::string> text = CSV::decodeText(data);
  // Text never holds NUL characters; a picture or a spreadsheet's binary file does.
  if (!text || text->find('\0') != std::string::npos)
    return std::unexpected(Failure::unreadable());
  return std::move(*text);
}

} // namespace

std::string Failure::description() const {
  switch (reason) {
  case Reason::unreadable:
    return "That file isn\u2019t text Ovalon can read. Save it from your spreadsheet as CSV.";
  case Reason::noIDColumn:
    return "No student ID column was found. Name a column \u201CID\u201D or \u201CStudent "
           "ID\u201D (digits only).";
  case Reason::empty:
    return "No students were found in that file.";
  case Reason::noSuchColumn:
    return "That file has no column \u201C" + column + "\u201D.";
  }
  return {};
}

std::expected<Result, Failure> importData(const Bytes &data, std::string_view sourceName,
                                          const Options &options) {
  auto text = decoded(data);
  if (!text)
    return std::unexpected(text.error());
  return importText(*text, sourceName, options);
}

std::expected<std::vector<std::string>, Failure> headings(const Bytes &data) {
  auto text = decoded(data);
  if (!text)
    return std::unexpected(text.error());
  std::vector<CSV::Row> rows = trimmedRows(*text);
  if (rows.empty())
    return std::unexpected(Failure::empty());
  return std::move(rows[0].fields);
}

std::expected<Result, Failure> importText(std::string_view text, std::string_view sourceName,
                                          const Options &options) {
  const std::vector<CSV::Row> rows = trimmedRows(text);
  if (rows.empty())
    return std::unexpected(Failure::empty());
  const auto columns = columnsOf(rows, options);
  if (!columns)
    return std::unexpected(columns.error());

  std::vector<Student> students;
  std::unordered_set<std::string> seenKeys;
  std::vector<int> skipped, repeated;
  for (size_t r = columns->hasHeader ? 1 : 0; r < rows.size(); ++r) {
    const Row &row = rows[r].fields;
    std::optional<std::string> id = idDigits(cell(row, columns->id));
    if (!id) {
      skipped.push_back(rows[r].number);
      continue;
    }
    if (!seenKeys.insert(Student::idKey(*id)).second) {
      repeated.push_back(rows[r].number);
      continue;
    }
    Student student{*id, std::string(cell(row, columns->first)),
                    std::string(cell(row, columns->last))};
    if (student.firstName.empty() && student.lastName.empty())
      student = Student::named(*id, cell(row, columns->full));
    students.push_back(std::move(student));
  }
  if (students.empty())
    return std::unexpected(Failure::empty());

  Result result{Roster{std::move(students), std::string(sourceName)},
                static_cast<int>(skipped.size()), warnings(skipped, repeated), skipped, repeated};
  return result;
}

} // namespace ovalon::RosterImport
