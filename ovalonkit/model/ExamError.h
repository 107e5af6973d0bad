#pragma once

#include <string>
#include <variant>

namespace ovalon {

// Why a typed version order was refused.
struct ExamError {
  struct NotAPermutation {
    int questionCount;
    bool operator==(const NotAPermutation &) const = default;
  };
  struct VersionA {
    bool operator==(const VersionA &) const = default;
  };
  std::variant<NotAPermutation, VersionA> reason;

  static ExamError notAPermutation(int questionCount) { return {NotAPermutation{questionCount}}; }
  static ExamError versionA() { return {VersionA{}}; }

  std::string description() const {
    if (auto *p = std::get_if<NotAPermutation>(&reason))
      return "Type each question number from 1 to " + std::to_string(p->questionCount) +
             " once, in the order version prints them.";
    return "Version A is always in master order.";
  }

  bool operator==(const ExamError &) const = default;
};

} // namespace ovalon
