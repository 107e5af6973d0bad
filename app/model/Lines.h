#pragma once

#include <string>
#include <vector>

namespace ovalon {

// Sentences shown one to a line in a message.
inline std::string joinedLines(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines)
    text += (text.empty() ? "" : "\n") + line;
  return text;
}

} // namespace ovalon
