#include "model/RosterImport.h"

#include "model/CSV.h"
#include "model/TextCompare.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>
#include <unordered_set>

namespace ovalon::RosterImport {
namespace {

using Row = std::vector<std::string>;

// Header names as normalised, each list in priority order. "student" is both an ID and a
// name heading; which one it is depends on what is under it.
constexpr std::array<std::string_view, 12> idNames{
    "id",        "student id", "student number", "student no", "student no.", "student #",
    "id number", "number",     "sis id",         "student",    "local id",    "#"};
constexpr std::array<std::string_view, 6> firstNames{"first",      "first name", "firstname",
                                                     "given name", "given",      "preferred name"};
constexpr std::array<std::string_view, 6> lastNames{"last",    "last name",   "lastname",
                                                    "surname", "family name", "family"};
constexpr std::array<std::string_view, 7> fullNames{
    "name", "student name", "full name", "fullname", "names", "student", "pupil"};

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

std::string headerName(const std::string &cell) {
  std::string name = cell;
  for (char &c : name) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    else if (c == '_')
      c = ' ';
  }
  return name;
}

template <size_t N>
std::optional<size_t> findColumn(const Row &header, const std::array<std::string_view, N> &names) {
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

// "Last, First", or words with the last one as the last name.
std::pair<std::string, std::string> splitFullName(std::string_view full) {
  if (size_t comma = full.find(','); comma != std::string_view::npos)
    return {trimmed(full.substr(comma + 1)), trimmed(full.substr(0, comma))};
  std::vector<std::string_view> words;
  for (size_t start = 0; start <= full.size();) {
    size_t end = std::min(full.find(' ', start), full.size());
    if (end > start)
      words.push_back(full.substr(start, end - start));
    start = end + 1;
  }
  if (words.empty())
    return {};
  if (words.size() == 1)
    return {std::string(words[0]), ""};
  std::string first;
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    if (i > 0)
      first += ' ';
    first += words[i];
  }
  return {first, std::string(words.back())};
}

std::vector<std::string> warnings(int skipped, int repeated) {
  std::vector<std::string> texts;
  if (skipped > 0)
    texts.push_back(std::to_string(skipped) + " row" + (skipped == 1 ? "" : "s") +
                    " without a numeric ID " + (skipped == 1 ? "was" : "were") + " skipped.");
  if (repeated > 0)
    texts.push_back(std::to_string(repeated) + " repeated ID" +
                    (repeated == 1 ? " was" : "s were") + " skipped.");
  return texts;
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
  }
  return {};
}

std::expected<Result, Failure> importData(const Bytes &data, std::string_view sourceName) {
  // A class list is a few kilobytes; anything this large is not one, and
  // reading it would only cost time and memory.
  constexpr size_t largestRoster = 16 * 1024 * 1024;
  if (data.size() > largestRoster)
    return std::unexpected(Failure::unreadable());
  std::optional<std::string> text = CSV::decodeText(data);
  // Text never holds NUL characters; a picture or a spreadsheet's binary file does.
  if (!text || text->find('\0') != std::string::npos)
    return std::unexpected(Failure::unreadable());
  return importText(*text, sourceName);
}

std::expected<Result, Failure> importText(std::string_view text, std::string_view sourceName) {
  std::vector<Row> rows = CSV::rows(text);
  for (Row &row : rows)
    for (std::string &field : row)
      field = trimmed(field);
  if (rows.empty())
    return std::unexpected(Failure::empty());

  Row header;
  for (const std::string &field : rows[0])
    header.push_back(headerName(field));
  std::optional<size_t> idColumn = findColumn(header, idNames);
  std::optional<size_t> firstColumn = findColumn(header, firstNames);
  std::optional<size_t> lastColumn = findColumn(header, lastNames);
  std::optional<size_t> fullColumn = findColumn(header, fullNames);
  size_t firstDataRow = 1;

  if (idColumn && header[*idColumn] == "student") {
    std::string_view firstValue = rows.size() > 1 ? cell(rows[1], idColumn) : "";
    if (!looksLikeID(firstValue))
      idColumn.reset();
  }
  if (idColumn && fullColumn == idColumn)
    fullColumn.reset();

  if (!idColumn) {
    if (firstColumn || lastColumn || fullColumn)
      return std::unexpected(Failure::noIDColumn());
    // No heading we know: the first row is already a student.
    const Row &first = rows[0];
    auto idIt = std::ranges::find_if(first, looksLikeID);
    if (idIt == first.end())
      return std::unexpected(Failure::noIDColumn());
    idColumn = static_cast<size_t>(idIt - first.begin());
    for (size_t column = 0; column < first.size(); ++column)
      if (column != *idColumn && !looksLikeID(first[column])) {
        fullColumn = column;
        break;
      }
    firstDataRow = 0;
  }

  std::vector<Student> students;
  std::unordered_set<std::string> seenKeys;
  int skipped = 0, repeated = 0;
  for (size_t r = firstDataRow; r < rows.size(); ++r) {
    const Row &row = rows[r];
    std::optional<std::string> id = idDigits(cell(row, idColumn));
    if (!id) {
      ++skipped;
      continue;
    }
    if (!seenKeys.insert(Student::idKey(*id)).second) {
      ++repeated;
      continue;
    }
    Student student{*id, std::string(cell(row, firstColumn)), std::string(cell(row, lastColumn))};
    if (student.firstName.empty() && student.lastName.empty())
      std::tie(student.firstName, student.lastName) = splitFullName(cell(row, fullColumn));
    students.push_back(std::move(student));
  }
  if (students.empty())
    return std::unexpected(Failure::empty());

  return Result{Roster{std::move(students), std::string(sourceName)}, skipped,
                warnings(skipped, repeated)};
}

} // namespace ovalon::RosterImport
