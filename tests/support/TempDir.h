#pragma once

#include <filesystem>

namespace ovalon::testing {

// A fresh folder under the system's temporary directory, removed with the object.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::filesystem::path &path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path &child) const {
    return path_ / child;
  }

private:
  std::filesystem::path path_;
};

} // namespace ovalon::testing
