#include "grading/Resolution.h"

#include "model/Choices.h"

namespace ovalon {

std::string Resolution::label() const {
  struct Labeller {
    std::string operator()(const Choice &c) const { return "Set to " + Choices::letter(c.slot); }
    std::string operator()(const Student &s) const { return "ID " + s.id; }
    std::string operator()(const Blank &) const { return "Left blank"; }
    std::string operator()(const Accept &) const { return "Accepted"; }
    std::string operator()(const Exclude &) const { return "Left out"; }
  };
  return std::visit(Labeller{}, decision);
}

} // namespace ovalon
