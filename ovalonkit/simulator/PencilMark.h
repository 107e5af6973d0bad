#pragma once

namespace ovalon {

// How a simulated student filled one bubble.
enum class PencilMark {
  solid,  // a full dark mark
  light,  // a faint mark
  check,  // a check mark instead of a filled bubble
  erased, // a mark rubbed out, leaving a smudge
};

} // namespace ovalon
