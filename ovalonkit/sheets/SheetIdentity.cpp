#include "sheets/SheetIdentity.h"

#include "model/Choices.h"

#include <array>
#include <charconv>
#include <functional>
#include <limits>
#include <vector>

namespace ovalon {

namespace {

constexpr std::string_view magic = "OV1";

// White space and line breaks as Unicode defines them, in UTF-8; a payload is
// ASCII, but a reader may hand back text with any of these around it.
constexpr std::array<std::string_view, 25> whiteSpace{" ",
                                                      "\t",
                                                      "\n",
                                                      "\v",
                                                      "\f",
                                                      "\r",
                                                      "\xC2\x85",
                                                      "\xC2\xA0",
                                                      "\xE1\x9A\x80",
                                                      "\xE2\x80\x80",
                                                      "\xE2\x80\x81",
                                                      "\xE2\x80\x82",
                                                      "\xE2\x80\x83",
                                                      "\xE2\x80\x84",
                                                      "\xE2\x80\x85",
                                                      "\xE2\x80\x86",
                                                      "\xE2\x80\x87",
                                                      "\xE2\x80\x88",
                                                      "\xE2\x80\x89",
                                                      "\xE2\x80\x8A",
                                                      "\xE2\x80\xA8",
                                                      "\xE2\x80\xA9",
                                                      "\xE2\x80\xAF",
                                                      "\xE2\x81\x9F",
                                                      "\xE3\x80\x80"};

std::string_view trimmed(std::string_view text) {
  for (bool changed = true; changed;) {
    changed = false;
    for (std::string_view space : whiteSpace) {
      if (text.starts_with(space)) {
        text.remove_prefix(space.size());
        changed = true;
      }
      if (text.ends_with(space)) {
        text.remove_suffix(space.size());
        changed = true;
      }
    }
  }
  return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  for (;;) {
    std::size_t at = text.find(separator);
    fields.push_back(text.substr(0, at));
    if (at == std::string_view::npos)
      return fields;
    text.remove_prefix(at + 1);
  }
}

// Characters, not bytes: a UTF-8 continuation byte does not start one.
std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
      ++count;
  return count;
}

// A decimal integer with an optional sign, nothing else around it.
std::optional<int> integer(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // from_chars would take a second sign; only digits may follow the first.
  if (text.empty() || text.front() < '0' || text.front() > '9')
    return std::nullopt;
  long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size())
    return std::nullopt;
  if (negative)
    value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
    return std::nullopt;
  return static_cast<int>(value);
}

} // namespace

std::string SheetIdentity::payload() const {
  std::string text = std::string(magic) + "|" + examCode + "|" + Choices::letter(version) + "|" +
                     std::to_string(page) + "|" + std::to_string(signature.questionCount) + "|" +
                     std::to_string(signature.choiceCount) + "|" +
                     std::to_string(signature.idDigits) + "|" +
                     (signature.paper == Paper::letter ? "L" : "A");
  if (isKey)
    text += "|K";
  return text;
}

std::optional<SheetIdentity> SheetIdentity::parse(std::string_view text) {
  std::vector<std::string_view> fields = split(trimmed(text), '|');
  bool isKey = false;
  if (fields.size() == 9 && fields[8] == "K")
    isKey = true;
  else if (fields.size() != 8)
    return std::nullopt;

  if (fields[0] != magic)
    return std::nullopt;
  if (characterCount(fields[1]) != 8)
    return std::nullopt;
  if (fields[2].empty())
    return std::nullopt;
  // Only the first character counts; "b" is version B.
  std::optional<int> version = Choices::index(fields[2].substr(0, 1));
  if (!version || *version > 3)
    return std::nullopt;

  std::optional<int> page = integer(fields[3]);
  std::optional<int> questions = integer(fields[4]);
  std::optional<int> choices = integer(fields[5]);
  std::optional<int> idDigits = integer(fields[6]);
  if (!page || !questions || !choices || !idDigits)
    return std::nullopt;

  Paper paper;
  if (fields[7] == "L")
    paper = Paper::letter;
  else if (fields[7] == "A")
    paper = Paper::a4;
  else
    return std::nullopt;

  if (*questions < 1 || *questions > 200 || *choices < 2 || *choices > 5 || *idDigits < 0 ||
      *idDigits > 10 || *page < 1 || *page > (*questions + 99) / 100)
    return std::nullopt;

  return SheetIdentity{std::string(fields[1]), *version, *page,
                       LayoutSignature{*questions, *choices, *idDigits, paper}, isKey};
}

} // namespace ovalon

std::size_t
std::hash<ovalon::SheetIdentity>::operator()(const ovalon::SheetIdentity &identity) const noexcept {
  std::size_t h = std::hash<std::string>{}(identity.examCode);
  const ovalon::LayoutSignature &s = identity.signature;
  for (int v : {identity.version, identity.page, s.questionCount, s.choiceCount, s.idDigits,
                static_cast<int>(s.paper), static_cast<int>(identity.isKey)})
    h = h * 1'000'003u ^ std::hash<int>{}(v);
  return h;
}
