#include "library/PictureFile.h"

#include <algorithm>
#include <array>

namespace ovalon::PictureFile {

namespace {

constexpr std::array<uint8_t, 8> pngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool isPng(const Bytes &picture) {
  return picture.size() >= pngSignature.size() &&
         std::equal(pngSignature.begin(), pngSignature.end(), picture.begin());
}

} // namespace

std::string name(const Uuid &id, const Bytes &picture) {
  return id.text() + (isPng(picture) ? ".png" : ".jpg");
}

std::vector<std::string> names(const Uuid &id) {
  return {id.text() + ".jpg", id.text() + ".png"};
}

std::optional<Uuid> id(const std::filesystem::path &file) {
  const auto extension = file.extension();
  if (extension != ".jpg" && extension != ".png")
    return std::nullopt;
  return Uuid::parse(file.stem().string());
}

std::optional<std::filesystem::path> find(const std::filesystem::path &folder, const Uuid &id) {
  for (const std::string &candidate : names(id)) {
    std::error_code error;
    if (std::filesystem::is_regular_file(folder / candidate, error))
      return folder / candidate;
  }
  return std::nullopt;
}

} // namespace ovalon::PictureFile
