#pragma once

#include "grading/ItemNote.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// How a question's notes read in the item analysis, on paper and on screen alike.
namespace ovalon::ItemNotesText {

// Every note on one line: "Nobody chose A; Nobody chose C".
std::string joined(const std::vector<ItemNote> &notes);

// The notes as lines no wider than `width`, where `measure` gives the width of a text in
// the same unit (points for a PDF, pixels on screen). Notes share a line, "; " between them,
// while they fit; a note that does not fit starts a new line, and one too long for any line
// is broken between words (and a word too long, between characters). Nothing is cut off.
std::vector<std::string> lines(const std::vector<ItemNote> &notes, double width,
                               const std::function<double(std::string_view)> &measure);

} // namespace ovalon::ItemNotesText
