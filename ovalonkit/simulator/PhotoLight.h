#pragma once

#include "scanning/GrayImage.h"
#include "simulator/PhotoFraming.h"
#include "simulator/Shadow.h"

#include <optional>

namespace ovalon {

// The light a photo is taken in: brighter on one side than the other, a little darker toward
// the lens's corners, and a hard-edged shadow where a hand or a phone blocks the lamp.
namespace PhotoLight {

// Multiplies every pixel of `photo` by the light that falls on it.
void apply(GrayImage &photo, const PhotoFraming &framing, const std::optional<Shadow> &shadow);

} // namespace PhotoLight

} // namespace ovalon
