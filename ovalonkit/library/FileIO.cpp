#include "library/FileIO.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <span>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ovalon::FileIO {

namespace {

constexpr size_t bufferSize = 1 << 20;

std::string failure(const std::filesystem::path &path, int error) {
  return "Couldn’t write “" + path.filename().string() + "”: " + std::strerror(error) + ".";
}

bool writeAll(int fd, std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return true;
}

// A file descriptor closed when it goes out of scope, on every return path.
struct ReadOnlyFile {
  int fd;
  explicit ReadOnlyFile(const std::filesystem::path &path)
      : fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ReadOnlyFile(const ReadOnlyFile &) = delete;
  ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;
  ~ReadOnlyFile() {
    if (fd >= 0)
      close(fd);
  }
};

// Fills `into` as far as the file goes, retrying reads a signal interrupted:
// the count read (short only at the end of the file), or nothing on an error.
std::optional<size_t> readFully(int fd, std::span<uint8_t> into) {
  size_t count = 0;
  while (count < into.size()) {
    const ssize_t n = ::read(fd, into.data() + count, into.size() - count);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return std::nullopt;
    if (n == 0)
      break;
    count += static_cast<size_t>(n);
  }
  return count;
}

} // namespace

std::optional<Bytes> read(const std::filesystem::path &path) {
  const ReadOnlyFile file(path);
  if (file.fd < 0)
    return std::nullopt;
  Bytes bytes;
  struct stat info {};
  if (fstat(file.fd, &info) == 0 && info.st_size > 0)
    bytes.reserve(static_cast<size_t>(info.st_size));
  std::array<uint8_t, 65536> buffer;
  for (;;) {
    const auto n = readFully(file.fd, buffer);
    if (!n)
      return std::nullopt;
    bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(*n));
    if (*n < buffer.size())
      return bytes;
  }
}

std::optional<std::string> digest(const std::filesystem::path &path) {
  const ReadOnlyFile file(path);
  if (file.fd < 0)
    return std::nullopt;
  // Two 64-bit lanes, each a multiply–xor mix over 8-byte words with its own seed.
  uint64_t lanes[2] = {0x243F6A8885A308D3ULL, 0x13198A2E03707344ULL};
  constexpr uint64_t multipliers[2] = {0x9E3779B97F4A7C15ULL, 0xC2B2AE3D27D4EB4FULL};
  uint64_t length = 0;
  std::vector<uint8_t> buffer(1 << 20);
  for (;;) {
    // Whole buffers, so the words are the same however the reads come back.
    const auto filled = readFully(file.fd, buffer);
    if (!filled)
      return std::nullopt;
    const size_t count = *filled;
    if (count == 0)
      break;
    // The tail of the file is padded with zeros; the length, mixed in at the
    // end, keeps padded files apart.
    for (size_t i = 0; i < count; i += 8) {
      uint64_t word = 0;
      std::memcpy(&word, buffer.data() + i, std::min<size_t>(8, count - i));
      for (int lane = 0; lane < 2; ++lane) {
        lanes[lane] = (lanes[lane] ^ word) * multipliers[lane];
        lanes[lane] ^= lanes[lane] >> 29;
      }
    }
    length += count;
    if (count < buffer.size())
      break;
  }
  char text[33];
  for (int lane = 0; lane < 2; ++lane) {
    uint64_t h = (lanes[lane] ^ length) * multipliers[1 - lane];
    h ^= h >> 32;
    std::snprintf(text + 16 * lane, 17, "%016llx", static_cast<unsigned long long>(h));
  }
  return std::string(text, 32);
}

std::expected<AtomicFile, std::string> AtomicFile::create(const std::filesystem::path &path) {
  std::string temp = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0)
    return std::unexpected(failure(path, errno));
  // mkstemp makes the file private; give it the usual permissions.
  fchmod(fd, 0644);
  return AtomicFile(path, std::move(temp), fd);
}

AtomicFile::AtomicFile(AtomicFile &&other) noexcept
    : path_(std::move(other.path_)), temporary_(std::move(other.temporary_)),
      fd_(std::exchange(other.fd_, -1)), error_(other.error_), buffer_(std::move(other.buffer_)) {}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) {
    close(fd_);
    unlink(temporary_.c_str());
  }
}

bool AtomicFile::flush() {
  if (error_ == 0 && !writeAll(fd_, buffer_))
    error_ = errno;
  buffer_.clear();
  return error_ == 0;
}

bool AtomicFile::write(std::string_view bytes) {
  if (error_ != 0)
    return false;
  if (buffer_.size() + bytes.size() > bufferSize && !flush())
    return false;
  if (bytes.size() >= bufferSize) {
    if (!writeAll(fd_, bytes))
      error_ = errno;
    return error_ == 0;
  }
  buffer_.append(bytes);
  return true;
}

std::expected<void, std::string> AtomicFile::commit() {
  bool ok = flush() && fsync(fd_) == 0;
  int error = error_ != 0 ? error_ : errno;
  if (close(std::exchange(fd_, -1)) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temporary_.c_str());
    return std::unexpected(failure(path_, error));
  }
  return {};
}

std::expected<void, std::string> writeAtomically(const std::filesystem::path &path,
                                                 std::span<const uint8_t> bytes) {
  return writeAtomically(
      path, std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
}

std::expected<void, std::string> writeAtomically(const std::filesystem::path &path,
                                                 std::string_view text) {
  auto file = AtomicFile::create(path);
  if (!file)
    return std::unexpected(file.error());
  file->write(text);
  return file->commit();
}

} // namespace ovalon::FileIO
