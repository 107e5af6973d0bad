#include "reports/PointsText.h"

#include <cmath>
#include <cstdio>

namespace ovalon {

std::string pointsText(double points) {
  if (std::isfinite(points) && points == std::trunc(points) && std::abs(points) < 1e15)
    return std::to_string(static_cast<long long>(points));
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2f", points);
  std::string text = buffer;
  if (text.find('.') != std::string::npos) {
    while (text.ends_with('0'))
      text.pop_back();
    if (text.ends_with('.'))
      text.pop_back();
  }
  return text;
}

} // namespace ovalon
