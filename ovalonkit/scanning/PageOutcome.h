#pragma once

#include "model/Bytes.h"
#include "scanning/CornerMethod.h"
#include "scanning/MarkRead.h"
#include "scanning/NameRead.h"
#include "scanning/PageProblem.h"
#include "scanning/QuestionRead.h"
#include "sheets/SheetIdentity.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// One scanned page as the page reader saw it, with the small pictures the
// review screens need.
struct PageOutcome {
  std::string source; // file name, or the name given with the images
  int sourcePage = 1; // 1-based within the source
  std::optional<SheetIdentity> identity;
  std::optional<PageProblem> problem;
  std::vector<QuestionRead> questions;
  std::vector<MarkRead> idColumns;
  std::optional<Bytes> preview; // JPEG
  std::map<int, Bytes> crops;   // PNG per flagged row, by position
  std::optional<Bytes> idCrop;  // PNG
  std::optional<CornerMethod> method;
  bool blackAndWhite = false;
  std::optional<NameRead> name;
  std::optional<Bytes> nameCrop; // PNG

  bool operator==(const PageOutcome &) const = default;
};

} // namespace ovalon
