#pragma once

#include "model/Uuid.h"

#include <optional>
#include <string>

namespace ovalon {

// What a grading run already knows about one page beyond its reading.
struct PageOrigin {
  std::optional<Uuid> picture;       // its picture, already stored under this id
  std::optional<std::string> digest; // of the file it was read from

  bool operator==(const PageOrigin &) const = default;
};

} // namespace ovalon
