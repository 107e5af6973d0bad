#include "model/Base64.h"

#include <array>

namespace ovalon::Base64 {

namespace {

constexpr std::string_view alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> makeDecodeTable() {
  std::array<int8_t, 256> table{};
  table.fill(-1);
  for (size_t i = 0; i < alphabet.size(); ++i)
    table[static_cast<uint8_t>(alphabet[i])] = static_cast<int8_t>(i);
  return table;
}
constexpr auto decodeTable = makeDecodeTable();

} // namespace

std::string encode(const Bytes &data) {
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  for (size_t i = 0; i < data.size(); i += 3) {
    uint32_t chunk = static_cast<uint32_t>(data[i]) << 16;
    if (i + 1 < data.size())
      chunk |= static_cast<uint32_t>(data[i + 1]) << 8;
    if (i + 2 < data.size())
      chunk |= data[i + 2];
    out += alphabet[(chunk >> 18) & 63];
    out += alphabet[(chunk >> 12) & 63];
    out += i + 1 < data.size() ? alphabet[(chunk >> 6) & 63] : '=';
    out += i + 2 < data.size() ? alphabet[chunk & 63] : '=';
  }
  return out;
}

std::optional<Bytes> decode(std::string_view text) {
  if (text.size() % 4 != 0)
    return std::nullopt;
  Bytes out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    bool last = i + 4 == text.size();
    int padding = 0;
    uint32_t chunk = 0;
    for (size_t j = 0; j < 4; ++j) {
      char c = text[i + j];
      int value = 0;
      if (c == '=' && last && j >= 2) {
        ++padding;
      } else {
        value = decodeTable[static_cast<uint8_t>(c)];
        if (value < 0 || padding > 0)
          return std::nullopt;
      }
      chunk = (chunk << 6) | static_cast<uint32_t>(value);
    }
    out.push_back(static_cast<uint8_t>(chunk >> 16));
    if (padding < 2)
      out.push_back(static_cast<uint8_t>(chunk >> 8));
    if (padding < 1)
      out.push_back(static_cast<uint8_t>(chunk));
  }
  return out;
}

} // namespace ovalon::Base64
