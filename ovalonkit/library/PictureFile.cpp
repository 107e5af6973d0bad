#include "library/PictureFile.h"

#include "scanning/ImageCodecs.h"

namespace ovalon::PictureFile {

std::string name(const Uuid &id, const Bytes &picture) {
  return id.text() + (ImageCodecs::isPng(picture) ? ".png" : ".jpg");
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

} // namespace ovalon::PictureFile
