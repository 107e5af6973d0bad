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

// Runs the built ovalon-cli (path from $OVALON_CLI) on a library folder.
CliResult runCli(const std::filesystem::path &library, const std::vector<std::string> &arguments);

} // namespace ovalon::testing
