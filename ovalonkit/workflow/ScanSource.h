#pragma once

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace ovalon {

// What a grading run reads: a file (PDF or image), or photos that go together as one
// source under one name (a phone's pictures of a class's sheets).
struct ScanSource {
  struct File {
    std::filesystem::path path;
  };
  struct Photos {
    std::vector<std::filesystem::path> paths;
    std::string name;
  };
  std::variant<File, Photos> input;

  static ScanSource file(std::filesystem::path path) { return {File{std::move(path)}}; }
  static ScanSource photos(std::vector<std::filesystem::path> paths, std::string name) {
    return {Photos{std::move(paths), std::move(name)}};
  }
};

} // namespace ovalon
