#pragma once

#include "sheets/SheetLayout.h"
#include "simulator/CaptureCondition.h"
#include "simulator/PageCapture.h"

#include <optional>
#include <string_view>
#include <vector>

namespace ovalon {

// The named capture conditions a reader is measured against, from a clean copier scan to a
// small, curled, shadowed phone photo. Fixed once chosen: their ranges and seeds decide
// every page, so a condition always gives the same pictures.
namespace CaptureConditions {

// Copier conditions first, then photos.
const std::vector<CaptureCondition> &all();

std::optional<CaptureCondition> named(std::string_view name);

// How sheet `index` (0-based) of a class is captured under `condition`, the damage and
// doodles kept off what a reader looks at on pages of `layout`.
PageCapture forSheet(const CaptureCondition &condition, int index, const SheetLayout &layout,
                     int pageCount = 1);

} // namespace CaptureConditions

} // namespace ovalon
