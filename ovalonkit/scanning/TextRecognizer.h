#pragma once

#include "scanning/GrayImage.h"

#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// One reading of a piece of text with the recogniser's confidence, 0…1.
struct TextCandidate {
  std::string string;
  double confidence = 0;

  bool operator==(const TextCandidate &) const = default;
};

// One recognised word: up to three candidates, best first.
struct TextObservation {
  std::vector<TextCandidate> topCandidates;

  bool operator==(const TextObservation &) const = default;
};

struct TextOptions {
  // Words lower than this fraction of the image height are ignored.
  double minimumTextHeight = 0.2;
};

namespace TextRecognizer {

// Reads the image as one line of English text, word by word, left to right.
// Absent when the recogniser cannot run (for example, no English model).
// Each thread keeps one recogniser, created on its first call.
std::optional<std::vector<TextObservation>> recognize(const GrayImage &image,
                                                      const TextOptions &options = {});

// Ends the calling thread's recogniser, if it has one; the thread's next call starts a new
// one. For threads nobody joins (a Qt pool's): their own ending can still be running while
// the process exits and tears down what the recogniser shares with others.
void endThreadRecognizer();

} // namespace TextRecognizer

} // namespace ovalon
