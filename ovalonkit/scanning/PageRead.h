#pragma once

#include "scanning/CornerMethod.h"
#include "scanning/GrayImage.h"
#include "scanning/MarkRead.h"
#include "scanning/NameRead.h"
#include "scanning/PageProblem.h"
#include "scanning/QuestionRead.h"
#include "sheets/SheetIdentity.h"

#include <optional>
#include <vector>

namespace ovalon {

// What the page reader found on one page image.
struct PageRead {
  std::optional<SheetIdentity> identity; // decoded or assumed; absent only with noCode
  std::optional<PageProblem> problem;    // absent when the page was read
  std::vector<QuestionRead> questions;   // the page's rows in position order
  std::vector<MarkRead> idColumns;       // one per ID digit, first pages only
  std::optional<GrayImage> straightened; // the page in the sheet frame
  std::optional<CornerMethod> method;    // which corner finder succeeded
  std::optional<NameRead> name;          // the handwritten name, first pages only

  bool operator==(const PageRead &) const = default;
};

} // namespace ovalon
