#include "model/SheetPatch.h"

#include <algorithm>

namespace ovalon {

SheetPatch SheetPatch::between(const std::vector<ScannedSheet> &before,
                               const std::vector<ScannedSheet> &after) {
  SheetPatch patch;
  for (const ScannedSheet &sheet : after) {
    auto old = std::ranges::find(before, sheet.id, &ScannedSheet::id);
    if (old == before.end() || *old != sheet)
      patch.sheets.push_back(sheet);
  }
  return patch;
}

void SheetPatch::applyTo(ExamDocument &document) const {
  for (const ScannedSheet &sheet : sheets) {
    auto place = std::ranges::find(document.sheets, sheet.id, &ScannedSheet::id);
    if (place == document.sheets.end())
      document.sheets.push_back(sheet);
    else
      *place = sheet;
  }
}

} // namespace ovalon
