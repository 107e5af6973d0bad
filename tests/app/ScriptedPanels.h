#pragma once

#include "model/Panels.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace ovalon::testing {

// Answers the model's choosers from a script, in order, and keeps what was asked; a chooser
// with no scripted answer left is cancelled, a question answered no.
class ScriptedPanels : public Panels {
public:
  std::vector<SavePanel> savesAsked;
  std::vector<OpenPanel> opensAsked;
  std::vector<PrintJob> printed;
  std::vector<Question> questionsAsked;
  std::deque<bool> confirmAnswers;
  std::vector<Choice> choicesAsked;
  std::deque<std::optional<size_t>> chooseAnswers;
  std::deque<std::optional<std::filesystem::path>> saveAnswers;
  std::deque<std::vector<std::filesystem::path>> openAnswers;
  // Runs while a chooser is open, to look at the model from inside it.
  std::function<void()> whileOpen;

  std::optional<std::filesystem::path> chooseSaveFile(const SavePanel &panel) override {
    savesAsked.push_back(panel);
    if (whileOpen)
      whileOpen();
    return next(saveAnswers, {});
  }
  std::vector<std::filesystem::path> chooseFiles(const OpenPanel &panel) override {
    opensAsked.push_back(panel);
    if (whileOpen)
      whileOpen();
    return next(openAnswers, {});
  }
  bool confirm(const Question &question) override {
    questionsAsked.push_back(question);
    return next(confirmAnswers, false);
  }
  std::optional<size_t> choose(const Choice &choice) override {
    choicesAsked.push_back(choice);
    return next<std::optional<size_t>>(chooseAnswers, std::nullopt);
  }
  void print(const PrintJob &job) override { printed.push_back(job); }

private:
  template <typename T> static T next(std::deque<T> &answers, T otherwise) {
    if (answers.empty())
      return otherwise;
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }
};

} // namespace ovalon::testing
