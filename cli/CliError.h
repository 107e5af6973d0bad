#pragma once

#include <stdexcept>
#include <string>

namespace ovalon::cli {

// Ends a command with one sentence on standard error and an exit status:
// 2 for bad arguments or an unknown test, 1 for an operation that failed.
struct CliError : std::runtime_error {
  int status;
  CliError(int status, const std::string &sentence)
      : std::runtime_error(sentence), status(status) {}

  static CliError usage(const std::string &sentence) { return {2, sentence}; }
  static CliError failed(const std::string &sentence) { return {1, sentence}; }
};

} // namespace ovalon::cli
