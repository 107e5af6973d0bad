#pragma once

#include "model/Bytes.h"
#include "model/Roster.h"

#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace ovalon::RosterImport {

// A roster read from a file, with what was left out on the way.
struct Result {
  Roster roster;
  int skipped = 0;                   // rows without a usable numeric ID (repeats not counted)
  std::vector<std::string> warnings; // about skipped and repeated rows, for the user
  // The rows left out, numbered as a spreadsheet shows them (the file's first line is row 1).
  std::vector<int> skippedRows;
  std::vector<int> repeatedRows;

  bool operator==(const Result &) const = default;
};

// How to read the file when the headings alone don't tell.
struct Options {
  // The heading of the column holding the IDs, compared as headings are (case, accents,
  // spaces and punctuation aside); empty to find the column by the headings Ovalon knows.
  std::string idColumn;
};

// Why nothing was imported.
struct Failure {
  enum class Reason { unreadable, noIDColumn, empty, noSuchColumn };
  Reason reason;
  std::string column; // the heading asked for, with noSuchColumn

  static Failure unreadable() { return {Reason::unreadable, {}}; }
  static Failure noIDColumn() { return {Reason::noIDColumn, {}}; }
  static Failure empty() { return {Reason::empty, {}}; }
  static Failure noSuchColumn(std::string column) {
    return {Reason::noSuchColumn, std::move(column)};
  }

  std::string description() const;

  bool operator==(const Failure &) const = default;
};

// Decodes the file's bytes (see CSV::decodeText) and imports the text.
std::expected<Result, Failure> importData(const Bytes &data, std::string_view sourceName,
                                          const Options &options = {});

// Reads a CSV export with or without a header row: finds the ID and name columns, keeps
// rows with a numeric ID (spaces and hyphens allowed), the first of any repeated ID, and the
// names split into first and last.
std::expected<Result, Failure> importText(std::string_view text, std::string_view sourceName,
                                          const Options &options = {});

// The cells of the file's first row, trimmed, for choosing the ID column by hand.
std::expected<std::vector<std::string>, Failure> headings(const Bytes &data);

} // namespace ovalon::RosterImport
