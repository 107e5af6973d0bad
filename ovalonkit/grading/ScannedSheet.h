#pragma once

#include "grading/ReviewFlag.h"
#include "model/Bytes.h"
#include "model/Date.h"
#include "model/Uuid.h"
#include "scanning/MarkRead.h"
#include "scanning/NameRead.h"

#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// One student's graded sheet, every mark kept in printed terms.
struct ScannedSheet {
  Uuid id;
  int number = 1;
  std::string source;
  std::vector<int> sourcePages;
  int version = 0;
  std::vector<MarkRead> marks; // one per printed position
  std::vector<MarkRead> idColumns;
  std::string readID;
  std::optional<Bytes> idCrop;
  std::vector<Uuid> pageImages;
  std::vector<ReviewFlag> flags;
  bool excluded = false;
  Date gradedAt;
  std::optional<NameRead> name;
  std::optional<Bytes> nameCrop;
  std::optional<Date> rescanned;

  bool operator==(const ScannedSheet &) const = default;
};

} // namespace ovalon
