#pragma once

#include "scanning/GrayImage.h"
#include "scanning/NameRead.h"
#include "sheets/Rect.h"

#include <optional>
#include <string>
#include <string_view>

namespace ovalon {

struct SheetLayout;

// Reading the handwritten name from the box at the top of a sheet's first page.
namespace NameReader {

// Where students write their name, in page points: from just right of the "Name" label to
// 16 points short of the ID grid (or the identity symbol), 30 points tall, never narrower
// than 40 points.
Rect nameBox(const SheetLayout &layout);

// The name written on a straightened first page (the sheet frame, 2.5 pixels per point) of
// paper `paperWidth` points wide whose test has `idDigits` ID digits. Nothing when the box
// holds no writing or nothing readable is recognised.
std::optional<NameRead> readName(const GrayImage &straightened, double paperWidth, int idDigits);

// One recognised word as the reading keeps it: anything but letters, digits and the
// apostrophe, hyphen, period and comma becomes a space, runs of spaces become one, and
// those punctuation marks and spaces are trimmed from both ends.
std::string cleaned(std::string_view candidate);

} // namespace NameReader

} // namespace ovalon
