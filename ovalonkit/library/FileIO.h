#pragma once

#include "model/Bytes.h"

#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ovalon::FileIO {

// The whole file, or nothing when it cannot be read (missing, a folder, no access).
std::optional<Bytes> read(const std::filesystem::path &path);

// A digest of the file's bytes (32 hexadecimal digits) that tells files
// apart by content whatever their names; nothing when it can't be read. Not
// for security: it only has to tell one scan from another.
std::optional<std::string> digest(const std::filesystem::path &path);

// A file written in pieces to a temporary beside `path` and renamed over it by
// `commit`, so readers see either the old file or the whole new one. Dropped
// without a commit, the temporary goes.
class AtomicFile {
public:
  static std::expected<AtomicFile, std::string> create(const std::filesystem::path &path);

  AtomicFile(AtomicFile &&other) noexcept;
  AtomicFile &operator=(AtomicFile &&) = delete;
  AtomicFile(const AtomicFile &) = delete;
  ~AtomicFile();

  // Buffered; false once a write has failed (commit then says why).
  bool write(std::string_view bytes);

  // Flushes the file to disk and renames it into place. The error is one
  // sentence naming what went wrong.
  std::expected<void, std::string> commit();

private:
  AtomicFile(std::filesystem::path path, std::string temporary, int fd)
      : path_(std::move(path)), temporary_(std::move(temporary)), fd_(fd) {}
  bool flush();

  std::filesystem::path path_;
  std::string temporary_;
  int fd_ = -1;
  int error_ = 0;
  std::string buffer_;
};

// Writes the bytes to a temporary file beside `path`, flushes it to disk and
// renames it over `path`, so readers see either the old file or the new one.
// The error is one sentence naming what went wrong.
std::expected<void, std::string> writeAtomically(const std::filesystem::path &path,
                                                 std::span<const uint8_t> bytes);

std::expected<void, std::string> writeAtomically(const std::filesystem::path &path,
                                                 std::string_view text);

} // namespace ovalon::FileIO
