#include "grading/ItemNote.h"

#include "model/Choices.h"

namespace ovalon {

std::string ItemNote::text() const {
  struct Texts {
    std::string operator()(const StrongDistractor &n) const {
      return "Top students chose " + Choices::letter(n.choice) + ". Check the key";
    }
    std::string operator()(const UnusedDistractor &n) const {
      return "Nobody chose " + Choices::letter(n.choice);
    }
    std::string operator()(const Hard &) const { return "Hard: under 30% right"; }
    std::string operator()(const Easy &) const { return "Nearly everyone got it"; }
    std::string operator()(const Negative &) const {
      return "Lower scorers did better. Check the key";
    }
  };
  return std::visit(Texts{}, finding);
}

} // namespace ovalon
