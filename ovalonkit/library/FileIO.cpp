#include "library/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovalon::FileIO {

namespace {

std::string failure(const std::filesystem::path &path, int error) {
  return "Couldn’t write “" + path.filename().string() + "”: " + std::strerror(error) + ".";
}

bool writeAll(int fd, std::span<const uint8_t> bytes) {
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

} // namespace

std::optional<Bytes> read(const std::filesystem::path &path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return std::nullopt;
  Bytes bytes;
  uint8_t buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0)
      break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  close(fd);
  return bytes;
}

std::expected<void, std::string> writeAtomically(const std::filesystem::path &path,
                                                 std::span<const uint8_t> bytes) {
  std::string temp = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
  int fd = mkstemp(temp.data());
  if (fd < 0)
    return std::unexpected(failure(path, errno));
  // mkstemp makes the file private; give it the usual permissions.
  fchmod(fd, 0644);
  bool ok = writeAll(fd, bytes) && fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    return std::unexpected(failure(path, error));
  }
  return {};
}

std::expected<void, std::string> writeAtomically(const std::filesystem::path &path,
                                                 std::string_view text) {
  return writeAtomically(path,
                         std::span(reinterpret_cast<const uint8_t *>(text.data()), text.size()));
}

} // namespace ovalon::FileIO
