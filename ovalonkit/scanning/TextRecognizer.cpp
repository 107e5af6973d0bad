#include "scanning/TextRecognizer.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <omp.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace ovalon::TextRecognizer {

namespace {

struct Engine {
  tesseract::TessBaseAPI api;
  bool ready = false;

  Engine() {
    // Tesseract spreads each LSTM step over an OpenMP team. Pages are already
    // read on every core, so those teams only contend for the same cores and
    // spin while they wait: without them a name is read in about two thirds of
    // the processor time, with the same result. The setting belongs to the
    // calling thread, which is the one this engine serves.
    omp_set_max_active_levels(0);
    // A name is not a dictionary word: language correction stays off. The
    // dictionaries are loaded at start-up, so they are declined there.
    const std::vector<std::string> names{"load_system_dawg", "load_freq_dawg"};
    const std::vector<std::string> values{"0", "0"};
    ready =
        api.Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) == 0;
    if (!ready)
      return;
    api.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    // Per-character alternatives from the LSTM, read through the choice iterator.
    api.SetVariable("lstm_choice_mode", "2");
  }
  ~Engine() { api.End(); }
};

// The recogniser is expensive to load and not shareable between threads.
thread_local std::unique_ptr<Engine> threadEngine;

Engine &engineOfThread() {
  if (!threadEngine)
    threadEngine = std::make_unique<Engine>();
  return *threadEngine;
}

std::string ownedText(char *text) {
  std::string result = text ? text : "";
  delete[] text;
  return result;
}

// The word's text plus the best variants that change one character to one of
// the recogniser's alternatives for it, scored relative to the chosen character.
std::vector<TextCandidate> candidatesFor(tesseract::ResultIterator &word, double confidence) {
  std::vector<TextCandidate> candidates{
      {ownedText(word.GetUTF8Text(tesseract::RIL_WORD)), confidence}};
  std::vector<TextCandidate> variants;
  std::vector<std::string> symbols;
  std::vector<std::vector<std::pair<std::string, double>>> choices;
  tesseract::ResultIterator symbol = word;
  do {
    symbols.push_back(ownedText(symbol.GetUTF8Text(tesseract::RIL_SYMBOL)));
    std::vector<std::pair<std::string, double>> options;
    tesseract::ChoiceIterator choice(symbol);
    do {
      if (const char *text = choice.GetUTF8Text())
        options.emplace_back(text, choice.Confidence());
    } while (choice.Next());
    choices.push_back(std::move(options));
  } while (!symbol.IsAtFinalElement(tesseract::RIL_WORD, tesseract::RIL_SYMBOL) &&
           symbol.Next(tesseract::RIL_SYMBOL));

  for (size_t i = 0; i < symbols.size(); ++i) {
    double chosen = 0;
    for (const auto &[text, p] : choices[i])
      if (text == symbols[i])
        chosen = std::max(chosen, p);
    if (chosen <= 0)
      continue;
    for (const auto &[text, p] : choices[i]) {
      if (text == symbols[i] || text.empty())
        continue;
      std::string variant;
      for (size_t j = 0; j < symbols.size(); ++j)
        variant += j == i ? text : symbols[j];
      variants.push_back({variant, std::clamp(confidence * p / chosen, 0.0, 1.0)});
    }
  }
  std::stable_sort(variants.begin(), variants.end(),
                   [](const auto &a, const auto &b) { return a.confidence > b.confidence; });
  for (const auto &variant : variants) {
    if (candidates.size() == 3)
      break;
    if (std::none_of(candidates.begin(), candidates.end(),
                     [&](const auto &c) { return c.string == variant.string; }))
      candidates.push_back(variant);
  }
  return candidates;
}

} // namespace

std::optional<std::vector<TextObservation>> recognize(const GrayImage &image,
                                                      const TextOptions &options) {
  Engine &engine = engineOfThread();
  if (!engine.ready || image.pixels.empty())
    return std::nullopt;
  auto &api = engine.api;
  api.SetImage(image.pixels.data(), static_cast<int>(image.width), static_cast<int>(image.height),
               1, static_cast<int>(image.width));
  if (api.Recognize(nullptr) != 0) {
    api.Clear();
    return std::nullopt;
  }
  std::vector<TextObservation> observations;
  std::unique_ptr<tesseract::ResultIterator> word(api.GetIterator());
  const double minimumHeight = options.minimumTextHeight * static_cast<double>(image.height);
  if (word && !word->Empty(tesseract::RIL_WORD)) {
    do {
      int left = 0, top = 0, right = 0, bottom = 0;
      if (!word->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom) ||
          bottom - top < minimumHeight)
        continue;
      const double confidence = std::clamp(word->Confidence(tesseract::RIL_WORD) / 100.0, 0.0, 1.0);
      auto candidates = candidatesFor(*word, confidence);
      if (!candidates.front().string.empty())
        observations.push_back({std::move(candidates)});
    } while (word->Next(tesseract::RIL_WORD));
  }
  api.Clear();
  return observations;
}

void endThreadRecognizer() {
  threadEngine.reset();
}

} // namespace ovalon::TextRecognizer
