#include "simulator/PrintedAreas.h"

#include "scanning/NameReader.h"

namespace ovalon::PrintedAreas {

std::vector<Rect> onPage(const SheetLayout &layout, int page) {
  std::vector<Rect> areas;
  for (int corner = 0; corner < 4; ++corner)
    areas.push_back(layout.cornerRect(corner));
  areas.push_back(layout.codeRect());
  areas.push_back(layout.versionRect());
  if (page == 1) {
    if (const auto id = layout.idRect())
      areas.push_back(*id);
    areas.push_back(NameReader::nameBox(layout));
  }
  for (int position : layout.positions(page))
    areas.push_back(layout.rowRect(position));
  return areas;
}

std::vector<Rect> onAnyPage(const SheetLayout &layout, int pageCount) {
  std::vector<Rect> areas;
  for (int page = 1; page <= pageCount; ++page)
    for (const Rect &area : onPage(layout, page))
      areas.push_back(area);
  return areas;
}

Rect grown(const Rect &rect, double by) {
  return {rect.x - by, rect.y - by, rect.width + 2 * by, rect.height + 2 * by};
}

bool overlap(const Rect &a, const Rect &b) {
  return a.minX() < b.maxX() && b.minX() < a.maxX() && a.minY() < b.maxY() && b.minY() < a.maxY();
}

} // namespace ovalon::PrintedAreas
