#pragma once

#include "model/Uuid.h"

#include <optional>
#include <string>

namespace ovalon {

// What a grading run already knows about one page beyond its reading.
struct PageOrigin {
  std::optional<Uuid> picture;       // its picture, already stored under this id
  std::optional<std::string> digest; // of the file it was read from
  // Its first page's pictures of the ID bubbles and the name line, stored likewise.
  std::optional<Uuid> idPicture = std::nullopt;
  std::optional<Uuid> namePicture = std::nullopt;

  bool operator==(const PageOrigin &) const = default;
};

} // namespace ovalon
