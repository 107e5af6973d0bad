#pragma once

#include "model/Bytes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovalon::CSV {

// The text of a file from a spreadsheet or school system, as UTF-8: UTF-8 with or without a
// byte-order mark, UTF-16 with a byte-order mark, or else Windows-1252. Nothing when the
// bytes are not text in the encoding they were taken for.
std::optional<std::string> decodeText(const Bytes &data);

// The field separator of the first line: whichever of comma, semicolon and tab occurs most
// often outside quotes; a comma wins any tie it is part of and is the default.
char separator(std::string_view text);

// One row of fields with its number as a spreadsheet shows it: the first line is row 1,
// empty lines count, and a quoted field spanning lines keeps its row one row.
struct Row {
  int number = 0;
  std::vector<std::string> fields;

  bool operator==(const Row &) const = default;
};

// Rows of fields, with quoting and line breaks (LF, CR LF or CR) as spreadsheets write them.
// Rows with nothing but spaces and tabs are dropped; fields are not trimmed. The separator
// is detected when not given.
std::vector<Row> numberedRows(std::string_view text, std::optional<char> separator = std::nullopt);

// The same rows without their numbers.
std::vector<std::vector<std::string>> rows(std::string_view text,
                                           std::optional<char> separator = std::nullopt);

} // namespace ovalon::CSV
