#include "model/LayoutSignature.h"

#include "model/Choices.h"

namespace ovalon {

std::string LayoutSignature::summary() const {
  return std::to_string(questionCount) + " questions, A\u2013" + Choices::letter(choiceCount - 1) +
         ", " + std::to_string(idDigits) + "-digit ID, " + std::string(PaperInfo::title(paper));
}

} // namespace ovalon
