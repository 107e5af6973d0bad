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

  bool operator==(const Result &) const = default;
};

// Why nothing was imported.
struct Failure {
  enum class Reason { unreadable, noIDColumn, empty };
  Reason reason;

  static Failure unreadable() { return {Reason::unreadable}; }
  static Failure noIDColumn() { return {Reason::noIDColumn}; }
  static Failure empty() { return {Reason::empty}; }

  std::string description() const;

  bool operator==(const Failure &) const = default;
};

// Decodes the file's bytes (see CSV::decodeText) and imports the text.
std::expected<Result, Failure> importData(const Bytes &data, std::string_view sourceName);

// Reads a CSV export with or without a header row: finds the ID and name columns, keeps
// rows with a numeric ID (spaces and hyphens allowed), the first of any repeated ID, and the
// names split into first and last.
std::expected<Result, Failure> importText(std::string_view text, std::string_view sourceName);

} // namespace ovalon::RosterImport
