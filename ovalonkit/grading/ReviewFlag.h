#pragma once

#include "grading/FlagKind.h"
#include "grading/Resolution.h"
#include "model/Bytes.h"
#include "model/Uuid.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovalon {

// One point on one sheet that needs the teacher's decision.
struct ReviewFlag {
  Uuid id;
  FlagKind kind = FlagKind::blank;
  std::optional<int> position; // printed position, for mark flags
  std::optional<Bytes> crop;   // PNG of the flagged row
  std::vector<double> fills;
  std::optional<int> suggestion; // the row's strongest slot
  std::string note;
  std::optional<Resolution> resolution; // absent while open

  // How a rescan that reads another student's ID begins its flag's note. The
  // teacher has to pick the student: such a flag stays until decided.
  static constexpr std::string_view differentStudentNote = "This scan reads ID";
  bool asksForDifferentStudent() const {
    return kind == FlagKind::studentID && note.starts_with(differentStudentNote);
  }

  bool operator==(const ReviewFlag &) const = default;
};

} // namespace ovalon
