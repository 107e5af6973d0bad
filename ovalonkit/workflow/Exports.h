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

// A file name for `name`: "/" and ":" become "-", trimmed, "Ovalon" when empty,
// at most 120 characters, then "." and the extension.
std::string suggestedFileName(std::string_view name, std::string_view extension);

// The four exports' bytes; nothing when the file can't be made.
Bytes scores(const ExamDocument &document, bool answers);
std::optional<Bytes> slips(const ExamDocument &document, SlipLayout layout);
std::optional<Bytes> report(const ExamDocument &document);
std::optional<Bytes> answerKeys(const ExamDocument &document);

} // namespace ovalon::Exports
