#include "library/FileStamp.h"

#include <sys/stat.h>

namespace ovalon {

namespace {

int64_t nanoseconds(const timespec &time) {
  return static_cast<int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

std::optional<FileStamp> FileStamp::of(const std::filesystem::path &path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    return std::nullopt;
  return FileStamp{static_cast<uint64_t>(info.st_size), static_cast<uint64_t>(info.st_ino),
                   nanoseconds(info.st_mtim), nanoseconds(info.st_ctim)};
}

} // namespace ovalon
