#pragma once

#include "library/ExamDocument.h"
#include "scanning/PageOutcome.h"
#include "sheets/SheetIdentity.h"

#include <expected>
#include <string>
#include <string_view>

namespace ovalon::DocumentJSON {

// Why a document could not be encoded or decoded.
struct Failure {
  std::string reason;
  std::string description() const { return reason; }
};

// Compact JSON of the whole document. Fails on values JSON cannot hold
// (non-finite numbers).
std::expected<std::string, Failure> encode(const ExamDocument &document);

// Reads a document as written; unknown keys are ignored, nothing is repaired.
std::expected<ExamDocument, Failure> decode(std::string_view json);

// The layout signature on its own, as sheet identities carry it.
std::string encode(const LayoutSignature &signature);
std::expected<LayoutSignature, Failure> decodeSignature(std::string_view json);

// A sheet identity in the same style; a missing "isKey" reads as false.
std::string encode(const SheetIdentity &identity);
std::expected<SheetIdentity, Failure> decodeIdentity(std::string_view json);

// What the reader made of one page, for scripts: source, sourcePage, identity,
// problem, method, questions, idColumns, name and blackAndWhite (no pictures).
std::string encode(const PageOutcome &page);

} // namespace ovalon::DocumentJSON
