#pragma once

#include "simulator/ExtraMark.h"
#include "simulator/PencilMark.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// One made-up student's filled-in answer sheet, in printed terms.
struct SimulatedSheet {
  int version = 0;
  std::vector<std::optional<int>> answers; // per printed position: the bubble filled, or blank
  std::map<int, PencilMark> styles;        // positions not listed are filled solid
  std::vector<ExtraMark> extras;
  std::optional<std::string> studentID; // digits bubbled in the ID grid
  PencilMark idStyle = PencilMark::solid;
  std::optional<std::string> name; // written on the name line
  std::string nameFont = "Humor Sans";
  double nameSize = 14;
  double nameSlant = 0; // degrees
  bool isKey = false;

  bool operator==(const SimulatedSheet &) const = default;
};

} // namespace ovalon
