#include "model/CSV.h"

#include "model/TextCompare.h"

#include <algorithm>
#include <array>

namespace ovalon::CSV {
namespace {

bool startsWith(const Bytes &data, std::initializer_list<uint8_t> prefix) {
  return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin());
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isUTF8(const uint8_t *bytes, size_t size) {
  size_t i = 0;
  while (i < size) {
    uint8_t b = bytes[i];
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF; // allowed range of the second byte
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0)
        low = 0xA0;
      else if (b == 0xED)
        high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      if (b == 0xF0)
        low = 0x90;
      else if (b == 0xF4)
        high = 0x8F;
    } else {
      return false;
    }
    if (i + length > size || bytes[i + 1] < low || bytes[i + 1] > high)
      return false;
    for (size_t k = 2; k < length; ++k)
      if ((bytes[i + k] & 0xC0) != 0x80)
        return false;
    i += length;
  }
  return true;
}

std::optional<std::string> utf16(const Bytes &data, bool littleEndian) {
  // After the two-byte byte-order mark.
  if (data.size() % 2 != 0)
    return std::nullopt;
  std::u32string text;
  text.reserve(data.size() / 2);
  auto unit = [&](size_t i) -> char32_t {
    return littleEndian ? data[i] | (data[i + 1] << 8) : (data[i] << 8) | data[i + 1];
  };
  for (size_t i = 2; i < data.size(); i += 2) {
    char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 3 >= data.size())
        return std::nullopt;
      char32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF)
        return std::nullopt;
      text.push_back(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
      i += 2;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      return std::nullopt;
    } else {
      text.push_back(u);
    }
  }
  return TextCompare::utf8(text);
}

// What 0x80…0x9F stand for in Windows-1252; zero marks the five unassigned bytes.
constexpr std::array<char16_t, 32> windows1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// An unassigned byte fails the decoding, so binary files (a workbook saved as .xlsx) are
// refused rather than read as gibberish.
std::optional<std::string> windows1252(const Bytes &data) {
  std::u32string text;
  text.reserve(data.size());
  for (uint8_t b : data) {
    if (b >= 0x80 && b <= 0x9F) {
      char16_t c = windows1252High[b - 0x80];
      if (c == 0)
        return std::nullopt;
      text.push_back(c);
    } else {
      text.push_back(b);
    }
  }
  return TextCompare::utf8(text);
}

bool isBlank(const std::string &field) {
  return field.find_first_not_of(" \t") == std::string::npos;
}

} // namespace

std::optional<std::string> decodeText(const Bytes &data) {
  if (startsWith(data, {0xEF, 0xBB, 0xBF})) {
    if (!isUTF8(data.data() + 3, data.size() - 3))
      return std::nullopt;
    return std::string(data.begin() + 3, data.end());
  }
  if (startsWith(data, {0xFF, 0xFE}))
    return utf16(data, true);
  if (startsWith(data, {0xFE, 0xFF}))
    return utf16(data, false);
  if (isUTF8(data.data(), data.size()))
    return std::string(data.begin(), data.end());
  return windows1252(data);
}

char separator(std::string_view text) {
  int commas = 0, semicolons = 0, tabs = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"')
      quoted = !quoted;
    else if (quoted)
      continue;
    else if (c == '\n' || c == '\r')
      break;
    else if (c == ',')
      ++commas;
    else if (c == ';')
      ++semicolons;
    else if (c == '\t')
      ++tabs;
  }
  if (commas >= semicolons && commas >= tabs)
    return ',';
  return semicolons >= tabs ? ';' : '\t';
}

std::vector<Row> numberedRows(std::string_view text, std::optional<char> separator) {
  if (text.starts_with("\xEF\xBB\xBF"))
    text.remove_prefix(3);
  char sep = separator.value_or(CSV::separator(text));

  std::vector<Row> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  int number = 1;

  auto endField = [&] {
    row.push_back(std::move(field));
    field.clear();
  };
  auto endRow = [&] {
    endField();
    if (!std::ranges::all_of(row, isBlank))
      rows.push_back({number, std::move(row)});
    row.clear();
    ++number;
  };

  // Separators, quotes and line breaks are ASCII, so walking UTF-8 bytes is safe.
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"' && isBlank(field)) {
      field.clear();
      quoted = true;
    } else if (c == sep) {
      endField();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
      endRow();
    } else {
      field += c;
    }
  }
  endRow();
  return rows;
}

std::vector<std::vector<std::string>> rows(std::string_view text, std::optional<char> separator) {
  std::vector<std::vector<std::string>> fields;
  for (Row &row : numberedRows(text, separator))
    fields.push_back(std::move(row.fields));
  return fields;
}

} // namespace ovalon::CSV
