#pragma once

#include "model/Bytes.h"
#include "model/Uuid.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// How a stored picture is named on disk: its id, with ".png" for a PNG (the
// pictures of a sheet's ID bubbles and name line) and ".jpg" for a JPEG (the
// pages), so that each file says what it holds.
namespace ovalon::PictureFile {

std::string name(const Uuid &id, const Bytes &picture);

// Both names a picture with this id may have.
std::vector<std::string> names(const Uuid &id);

// The id a picture file is named for; none for any other file.
std::optional<Uuid> id(const std::filesystem::path &file);

} // namespace ovalon::PictureFile
