#pragma once

#include "model/LayoutSignature.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ovalon {

// What the QR symbol on a printed page says about it: which test, version and
// page it is, the layout it was printed with, and whether it is an answer key.
struct SheetIdentity {
  std::string examCode; // 8 characters
  int version = 0;      // 0…3
  int page = 1;         // 1-based within the student's sheet
  LayoutSignature signature;
  bool isKey = false;

  // "OV1|E621E1F8|B|2|150|4|6|A|K": fields joined with "|", the last only on key sheets.
  std::string payload() const;

  // Nothing for any text that is not a valid payload. Checks the fields and
  // their ranges only; whether the test exists is the reader's business.
  static std::optional<SheetIdentity> parse(std::string_view text);

  bool operator==(const SheetIdentity &) const = default;
};

} // namespace ovalon

template <> struct std::hash<ovalon::SheetIdentity> {
  std::size_t operator()(const ovalon::SheetIdentity &identity) const noexcept;
};
