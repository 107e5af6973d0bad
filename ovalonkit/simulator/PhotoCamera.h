#pragma once

#include "sheets/Size.h"
#include "simulator/Homography.h"
#include "simulator/PhotoFraming.h"

namespace ovalon {

// A phone camera above a page: where each point of the page's plane (points, y down) lands in
// the photo (pixels).
namespace PhotoCamera {

Homography view(const PhotoFraming &framing, Size pageSize);

// The framing with its tilt eased until the photo's perspective stays within `skew` (the
// most that opposite edges of the corner squares' frame, or its diagonals, differ in length)
// and its page placed so the whole page lies inside the photo.
PhotoFraming steadied(PhotoFraming framing, Size pageSize, double skew);

} // namespace PhotoCamera

} // namespace ovalon
