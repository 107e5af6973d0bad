#pragma once

#include <string>

namespace ovalon {

// Points without needless decimals: 3, 2.5, 2.25, 0.33; 0.999 reads as 1.
std::string pointsText(double points);

} // namespace ovalon
