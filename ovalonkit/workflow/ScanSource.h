#pragma once

#include "scanning/GrayImage.h"

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace ovalon {

// What a grading run reads: a file (PDF or image), or images already decoded
// with the name they go by (phone photos).
struct ScanSource {
  struct File {
    std::filesystem::path path;
  };
  struct Images {
    std::vector<GrayImage> images;
    std::string name;
  };
  std::variant<File, Images> input;

  static ScanSource file(std::filesystem::path path) { return {File{std::move(path)}}; }
  static ScanSource images(std::vector<GrayImage> images, std::string name) {
    return {Images{std::move(images), std::move(name)}};
  }
};

} // namespace ovalon
