#pragma once

#include "library/ExamDocument.h"
#include "model/Bytes.h"

#include <expected>
#include <string>
#include <string_view>
#include <vector>

// A roster file brought into a test: the roster replaced, every sheet's ID
// flags brought up to date, and what the teacher should know about it.
namespace ovalon::RosterUpdate {

struct Imported {
  int students = 0;
  std::string title;              // "Imported 26 students"
  std::vector<std::string> notes; // skipped rows, IDs longer than the sheet's columns
};

// On failure the import's own sentence, and the document is unchanged.
std::expected<Imported, std::string> importRoster(ExamDocument &document, const Bytes &data,
                                                  std::string_view fileName);

} // namespace ovalon::RosterUpdate
