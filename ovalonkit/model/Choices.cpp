#include "model/Choices.h"

namespace ovalon::Choices {

std::string letter(int index) {
  if (index < 0 || index >= static_cast<int>(letters.size()))
    return "?";
  return std::string(letters[static_cast<size_t>(index)]);
}

std::optional<int> index(std::string_view text) {
  if (text.size() != 1)
    return std::nullopt;
  char upper = text[0];
  if (upper >= 'a' && upper <= 'z')
    upper = static_cast<char>(upper - 'a' + 'A');
  for (size_t i = 0; i < letters.size(); ++i)
    if (letters[i][0] == upper)
      return static_cast<int>(i);
  return std::nullopt;
}

std::string text(const std::set<int> &choices) {
  std::string joined;
  for (int choice : choices) {
    if (!joined.empty())
      joined += '/';
    joined += letter(choice);
  }
  return joined;
}

} // namespace ovalon::Choices
