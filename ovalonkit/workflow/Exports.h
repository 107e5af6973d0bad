#pragma once

#include "library/ExamDocument.h"
#include "model/Bytes.h"
#include "reports/SlipLayout.h"

#include <optional>
#include <string>
#include <string_view>

namespace ovalon::Exports {

// Open flags on included sheets plus scan issues not dismissed: what Review still holds.
int openItemCount(const ExamDocument &document);

// Why scores, slips and the report can't go out yet, or nothing when they can.
std::optional<std::string> blocker(const ExamDocument &document);

// The one file name Ovalon suggests for a file about a test, from its title and what the
// file holds ("Unit 3: Cells Result Slips", "pdf" gives "Unit 3 - Cells Result Slips.pdf"):
// characters other systems refuse in names are replaced or left out, runs of spaces become
// one, loose hyphens, dots and spaces leave the ends, and the name keeps to 120 characters
// (cut between words). "Ovalon" when nothing is left.
std::string suggestedFileName(std::string_view name, std::string_view extension);

// The four exports' bytes; nothing when the file can't be made.
Bytes scores(const ExamDocument &document, bool answers);
std::optional<Bytes> slips(const ExamDocument &document, SlipLayout layout);
std::optional<Bytes> report(const ExamDocument &document);
std::optional<Bytes> answerKeys(const ExamDocument &document);

} // namespace ovalon::Exports
