#include "model/Uuid.h"

#include <sys/random.h>

#include <stdexcept>

namespace ovalon {

namespace {

void fillRandom(void *buffer, size_t length) {
  auto *bytes = static_cast<uint8_t *>(buffer);
  size_t filled = 0;
  while (filled < length) {
    ssize_t got = getrandom(bytes + filled, length - filled, 0);
    if (got < 0)
      throw std::runtime_error("The system random source is unavailable.");
    filled += static_cast<size_t>(got);
  }
}

int hexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

bool isHyphenPosition(size_t i) {
  return i == 8 || i == 13 || i == 18 || i == 23;
}

} // namespace

Uuid Uuid::random() {
  Uuid uuid;
  fillRandom(uuid.bytes.data(), uuid.bytes.size());
  uuid.bytes[6] = static_cast<uint8_t>((uuid.bytes[6] & 0x0F) | 0x40);
  uuid.bytes[8] = static_cast<uint8_t>((uuid.bytes[8] & 0x3F) | 0x80);
  return uuid;
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
  if (text.size() != 36)
    return std::nullopt;
  Uuid uuid;
  size_t byte = 0;
  for (size_t i = 0; i < text.size();) {
    if (isHyphenPosition(i)) {
      if (text[i] != '-')
        return std::nullopt;
      ++i;
      continue;
    }
    int high = hexValue(text[i]);
    int low = hexValue(text[i + 1]);
    if (high < 0 || low < 0 || isHyphenPosition(i + 1))
      return std::nullopt;
    uuid.bytes[byte++] = static_cast<uint8_t>(high * 16 + low);
    i += 2;
  }
  return uuid;
}

std::string Uuid::text() const {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(36);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10)
      out += '-';
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 0x0F];
  }
  return out;
}

uint64_t randomSeed() {
  uint64_t seed = 0;
  fillRandom(&seed, sizeof seed);
  return seed;
}

} // namespace ovalon

size_t std::hash<ovalon::Uuid>::operator()(const ovalon::Uuid &uuid) const noexcept {
  size_t h = 0;
  for (uint8_t b : uuid.bytes)
    h = h * 131 + b;
  return h;
}
