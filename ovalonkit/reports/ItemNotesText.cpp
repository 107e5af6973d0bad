#include "reports/ItemNotesText.h"

#include "model/TextCompare.h"

namespace ovalon::ItemNotesText {

namespace {

using Measure = std::function<double(std::string_view)>;

// Splits a word wider than the line into pieces that fit, at least one character each.
void breakWord(const std::string &word, double width, const Measure &measure,
               std::vector<std::string> &out, std::string &rest) {
  std::u32string left = TextCompare::codePoints(word);
  while (left.size() > 1 && measure(TextCompare::utf8(left)) > width) {
    size_t fits = 1;
    while (fits + 1 < left.size() &&
           measure(TextCompare::utf8(std::u32string_view(left).substr(0, fits + 1))) <= width)
      ++fits;
    out.push_back(TextCompare::utf8(std::u32string_view(left).substr(0, fits)));
    left.erase(0, fits);
  }
  rest = TextCompare::utf8(left);
}

// Greedy word wrap of one note.
std::vector<std::string> wrapped(const std::string &text, double width, const Measure &measure) {
  std::vector<std::string> out;
  std::string line;
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find(' ', start), text.size());
    const std::string word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty())
      continue;
    const std::string longer = line.empty() ? word : line + " " + word;
    if (measure(longer) <= width) {
      line = longer;
      continue;
    }
    if (!line.empty())
      out.push_back(line);
    breakWord(word, width, measure, out, line);
  }
  if (!line.empty())
    out.push_back(line);
  return out;
}

} // namespace

std::string joined(const std::vector<ItemNote> &notes) {
  std::string text;
  for (const ItemNote &note : notes)
    text += (text.empty() ? "" : "; ") + note.text();
  return text;
}

std::vector<std::string> lines(const std::vector<ItemNote> &notes, double width,
                               const Measure &measure) {
  std::vector<std::string> out;
  std::string line;
  for (const ItemNote &note : notes) {
    const std::string text = note.text();
    if (!line.empty() && measure(line + "; " + text) <= width) {
      line += "; " + text;
      continue;
    }
    if (!line.empty())
      out.push_back(std::move(line));
    line.clear();
    if (measure(text) <= width) {
      line = text;
      continue;
    }
    // A note broken over lines ends its last line, so no other note reads as its tail.
    for (std::string &piece : wrapped(text, width, measure))
      out.push_back(std::move(piece));
  }
  if (!line.empty())
    out.push_back(std::move(line));
  return out;
}

} // namespace ovalon::ItemNotesText
