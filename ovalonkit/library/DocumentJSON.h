#pragma once

#include "library/DocumentSummary.h"
#include "library/ExamDocument.h"
#include "scanning/PageOutcome.h"
#include "sheets/SheetIdentity.h"

#include <expected>
#include <functional>
#include <string>
#include <string_view>

namespace ovalon::DocumentJSON {

// Why a document could not be encoded or decoded.
struct Failure {
  std::string reason;
  std::string description() const { return reason; }
};

// Where encoded text goes, piece by piece.
using Sink = std::function<void(std::string_view)>;

// Compact JSON of the whole document. Fails on values JSON cannot hold
// (non-finite numbers, text that isn't UTF-8); `write` may then have been
// given part of it.
std::expected<void, Failure> encode(const ExamDocument &document, const Sink &write);
std::expected<std::string, Failure> encode(const ExamDocument &document);

// Reads a document as written; unknown keys are ignored, nothing is repaired.
// A key named twice in one object is refused. The failure says where the
// document breaks: "sheets[3].number isn’t a whole number."
std::expected<ExamDocument, Failure> decode(std::string_view json);

// The summary kept beside each document (see DocumentSummary).
std::expected<std::string, Failure> encode(const DocumentSummary &summary);
std::expected<DocumentSummary, Failure> decodeSummary(std::string_view json);

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
