#include "reports/ItemNotesText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ovalon {
namespace {

// Every character one unit wide, so line widths can be counted by eye.
const auto characters = [](std::string_view text) { return static_cast<double>(text.size()); };

TEST(ItemNotesText, notesShareLinesWhileTheyFitAndNothingIsCut) {
  const std::vector<ItemNote> three{ItemNote::unusedDistractor(0), ItemNote::unusedDistractor(2),
                                    ItemNote::unusedDistractor(3)};
  // "Nobody chose A" is 14 characters; with "; " two take 30.
  struct Case {
    std::vector<ItemNote> notes;
    double width;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases{
      {three, 100, {"Nobody chose A; Nobody chose C; Nobody chose D"}},
      {three, 30, {"Nobody chose A; Nobody chose C", "Nobody chose D"}},
      {three, 29, {"Nobody chose A", "Nobody chose C", "Nobody chose D"}},
      // A note too long for the line is broken between words and ends its last line.
      {{ItemNote::negative(), ItemNote::easy()},
       20,
       {"Lower scorers did", "better. Check the", "key", "Nearly everyone got", "it"}},
      // A word too long for the line is broken between characters.
      {{ItemNote::hard()}, 4, {"Hard", ":", "unde", "r", "30%", "righ", "t"}},
      {{}, 10, {}}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.width);
    EXPECT_EQ(ItemNotesText::lines(c.notes, c.width, characters), c.lines);
  }
  EXPECT_EQ(ItemNotesText::joined(three), "Nobody chose A; Nobody chose C; Nobody chose D");
}

} // namespace
} // namespace ovalon
