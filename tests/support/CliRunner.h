#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ovalon::testing {

// What one run of ovalon-cli printed and returned.
struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// A finished run: its wait status and what it wrote to `out` and `err` in `folder`.
CliResult finishedRun(int waitStatus, const std::filesystem::path &folder);

// Runs the built ovalon-cli (path from $OVALON_CLI) on a library folder.
CliResult runCli(const std::filesystem::path &library, const std::vector<std::string> &arguments);

} // namespace ovalon::testing
