#pragma once

#include "model/Exam.h"
#include "scanning/GrayImage.h"
#include "sheets/SheetIdentity.h"

namespace ovalon {

// Which way up a straightened page is, judged from the printed sheet itself
// (the header, the ID grid, the answer columns) rather than the identity
// symbol: for pages read with an identity the teacher named.
namespace PageOrientation {

// How closely the page matches the blank sheet of `identity` (correlation,
// −1…1) as it lies and turned half round. The identity symbol's square is left
// out, since a page read this way usually lost its symbol.
struct Match {
  double upright = 0;
  double turned = 0;

  bool operator==(const Match &) const = default;
};

Match compare(const GrayImage &straightened, const Exam &exam, const SheetIdentity &identity);

enum class Verdict { upright, turned, unclear };

// Upright or turned when one matches clearly better; unclear otherwise.
Verdict verdict(const Match &match);

} // namespace PageOrientation

} // namespace ovalon
