#pragma once

namespace ovalon {

// How a page that is not flat bends away from the plane of its four corner squares. Each
// shape moves a point of the page by `amplitude` × its profile (0…1, 0 at every corner
// square's centre) in the direction `direction`: where the corner squares say a point should
// be, and where it shows, differ by up to `amplitude` points.
struct PaperWarp {
  enum class Shape {
    flat,
    bow,        // bent like a cylinder, most at the middle: a page that was rolled or bent
    curl,       // one edge lifts and the paper before it sags: a page that curls
    foldedOpen, // a crease across the middle, folded in half and opened again
  };
  Shape shape = Shape::flat;
  double amplitude = 0; // points
  double direction = 0; // degrees from +x toward +y (down the page)
  // The bend or crease runs across the page (its profile changes from top to bottom);
  // otherwise down it (from left to right). A crossways curl lifts the top or bottom edge.
  bool crossways = false;
  bool farEdge = false; // a curl lifts the right or bottom edge, not the left or top

  bool operator==(const PaperWarp &) const = default;
};

} // namespace ovalon
