#pragma once

#include "library/ExamDocument.h"
#include "model/Bytes.h"
#include "model/RosterImport.h"

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
  std::vector<std::string> notes; // skipped rows by number, IDs longer than the sheet's columns
};

// On failure the import's own sentence, and the document is unchanged. `options` names the
// ID column when the teacher chose it.
std::expected<Imported, std::string> importRoster(ExamDocument &document, const Bytes &data,
                                                  std::string_view fileName,
                                                  const RosterImport::Options &options = {});

} // namespace ovalon::RosterUpdate
