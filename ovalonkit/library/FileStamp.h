#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace ovalon {

// What identifies one written state of a file without reading it: every save
// replaces the document by a new file (a new inode) and stamps its times, so a
// stamp that still matches means nobody has written the file since.
struct FileStamp {
  uint64_t size = 0;
  uint64_t inode = 0;
  int64_t modifiedNanoseconds = 0;
  int64_t changedNanoseconds = 0;

  // Nothing when the file isn't there.
  static std::optional<FileStamp> of(const std::filesystem::path &path);

  bool operator==(const FileStamp &) const = default;
};

} // namespace ovalon
