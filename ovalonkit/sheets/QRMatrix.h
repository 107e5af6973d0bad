#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace ovalon {

// The modules of a QR symbol without its quiet zone.
struct QRMatrix {
  int size = 0;
  std::vector<bool> cells; // size × size, row by row from the top; true = dark

  bool dark(int row, int column) const {
    return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(size) +
                 static_cast<std::size_t>(column)];
  }

  // A level-Q symbol for the text's UTF-8 bytes; nothing when the generator
  // gives no usable image.
  static std::optional<QRMatrix> make(std::string_view text);

  bool operator==(const QRMatrix &) const = default;
};

} // namespace ovalon
