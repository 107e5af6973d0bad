#include "support/CliProcess.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace ovalon::testing {

namespace {

// The descriptors a command sees its pause point on.
constexpr int heldChild = 100;
constexpr int goChild = 101;
constexpr int waitMilliseconds = 180'000;

} // namespace

PausePoint::PausePoint(std::string where) : where_(std::move(where)) {
  if (pipe2(held_, O_CLOEXEC) != 0 || pipe2(go_, O_CLOEXEC) != 0)
    throw std::runtime_error("cannot make the pause point's pipes");
}

PausePoint::~PausePoint() {
  for (int fd : {held_[0], held_[1], go_[0], go_[1]})
    if (fd >= 0)
      close(fd);
}

bool PausePoint::awaitHeld() {
  pollfd ready{held_[0], POLLIN, 0};
  char byte = 0;
  return poll(&ready, 1, waitMilliseconds) == 1 && read(held_[0], &byte, 1) == 1;
}

void PausePoint::release() {
  char byte = 'g';
  (void)!write(go_[1], &byte, 1);
}

CliProcess::CliProcess(const std::filesystem::path &library,
                       const std::vector<std::string> &arguments, PausePoint *pause,
                       const std::vector<std::pair<std::string, std::string>> &environment,
                       int user) {
  const char *cli = std::getenv("OVALON_CLI");
  if (!cli)
    throw std::runtime_error("OVALON_CLI is not set");
  std::string pattern = (std::filesystem::temp_directory_path() / "ovalon-run-XXXXXX").string();
  if (!mkdtemp(pattern.data()))
    throw std::runtime_error("cannot create a temporary folder");
  capture_ = pattern;
  std::vector<std::string> argv{cli, "--library", library.string()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());

  pid_ = fork();
  if (pid_ < 0)
    throw std::runtime_error("cannot fork");
  if (pid_ > 0)
    return;
  // The child: its own output files, the pause point on fixed descriptors.
  int in = open("/dev/null", O_RDONLY);
  int out = open((capture_ / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  int err = open((capture_ / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
    _exit(127);
  if (pause) {
    if (dup2(pause->held_[1], heldChild) < 0 || dup2(pause->go_[0], goChild) < 0)
      _exit(127);
    setenv(pause->where_.c_str(),
           (std::to_string(heldChild) + " " + std::to_string(goChild)).c_str(), 1);
  }
  for (const auto &[name, value] : environment)
    setenv(name.c_str(), value.c_str(), 1);
  if (user >= 0 && geteuid() == 0 && setuid(static_cast<uid_t>(user)) != 0)
    _exit(127);
  std::vector<char *> raw;
  for (std::string &argument : argv)
    raw.push_back(argument.data());
  raw.push_back(nullptr);
  execv(cli, raw.data());
  _exit(127);
}

CliProcess::CliProcess(CliProcess &&other) noexcept
    : pid_(std::exchange(other.pid_, -1)), capture_(std::move(other.capture_)) {}

CliProcess::~CliProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (!capture_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(capture_, ignored);
  }
}

CliResult CliProcess::wait() {
  int status = 0;
  waitpid(std::exchange(pid_, -1), &status, 0);
  return finishedRun(status, capture_);
}

} // namespace ovalon::testing
