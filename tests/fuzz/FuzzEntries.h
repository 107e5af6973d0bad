#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// Every entry point that takes bytes from outside, in the shape libFuzzer calls
// them. The fuzz targets run them under clang; the corpus replay runs the same
// functions in the normal suite, so every finding stays a regression test.
namespace ovalon::fuzz {

using Bytes = std::span<const uint8_t>;

// A test document as the library folder holds it; whatever decodes must encode
// and decode again to the same document.
void document(Bytes data);
// A roster file as a teacher picks it.
void roster(Bytes data);
// The text of a page's identity symbol.
void identity(Bytes data);
// A scanned page or a photo, in any format.
void image(Bytes data);
// A scanned PDF: its page count, and when it has one page, the page graded.
void pdf(Bytes data);

struct Target {
  std::string_view name; // also the corpus folder's name
  void (*run)(Bytes);
};

inline constexpr std::array<Target, 5> targets{{{"document", document},
                                                {"roster", roster},
                                                {"identity", identity},
                                                {"image", image},
                                                {"pdf", pdf}}};

} // namespace ovalon::fuzz
