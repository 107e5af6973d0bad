#pragma once

namespace ovalon {

// What captured a page: a copier, which writes PDF pages, or a phone camera, which takes
// photos of the page lying on a desk.
enum class CaptureMedium { copier, photo };

} // namespace ovalon
