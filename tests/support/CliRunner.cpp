#include "support/CliRunner.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace ovalon::testing {

namespace {

std::string quoted(const std::string &argument) {
  std::string out = "'";
  for (char c : argument)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string slurp(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace

CliResult finishedRun(int waitStatus, const std::filesystem::path &folder) {
  return {WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1, slurp(folder / "out"),
          slurp(folder / "err")};
}

CliResult runCli(const std::filesystem::path &library, const std::vector<std::string> &arguments) {
  const char *cli = std::getenv("OVALON_CLI");
  if (!cli)
    throw std::runtime_error("OVALON_CLI is not set");
  TempDir capture;
  std::string command = quoted(cli) + " --library " + quoted(library.string());
  for (const std::string &argument : arguments)
    command += " " + quoted(argument);
  command += " </dev/null >" + quoted((capture / "out").string()) + " 2>" +
             quoted((capture / "err").string());
  return finishedRun(std::system(command.c_str()), capture.path());
}

} // namespace ovalon::testing
