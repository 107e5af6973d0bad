#pragma once

#include <cstddef>
#include <string>

namespace ovalon {

// What is pre-printed on one student's sheet.
struct SheetFill {
  std::string name;
  std::string studentID;
  bool isKey = false;

  // The fill of an answer-key sheet: "ANSWER KEY", no ID.
  static SheetFill answerKey() { return {"ANSWER KEY", "", true}; }

  bool operator==(const SheetFill &) const = default;
};

} // namespace ovalon

template <> struct std::hash<ovalon::SheetFill> {
  std::size_t operator()(const ovalon::SheetFill &fill) const noexcept {
    std::size_t h = std::hash<std::string>{}(fill.name);
    h = h * 1'000'003u ^ std::hash<std::string>{}(fill.studentID);
    return h * 1'000'003u ^ std::hash<bool>{}(fill.isKey);
  }
};
