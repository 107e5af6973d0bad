#pragma once

#include "support/CliRunner.h"

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace ovalon::testing {

// Where ovalon-cli commands stop and wait for the test. A command started with
// it writes one byte when it reaches the point and waits for one byte back;
// the test reads the first and writes the second. Several commands may share
// one point: each byte lets one of them go.
class PausePoint {
public:
  // `where` is the environment variable that switches the point on:
  // OVALON_PAUSE_BEFORE_SAVE (the command has done its work and is about to
  // save, not holding the test yet) or OVALON_PAUSE_WITH_LOCK (the same, test
  // held).
  explicit PausePoint(std::string where);
  ~PausePoint();
  PausePoint(const PausePoint &) = delete;
  PausePoint &operator=(const PausePoint &) = delete;

  // Waits until a command holds at the point; false if none arrives in time.
  bool awaitHeld();
  // Lets one held command go on.
  void release();

private:
  friend class CliProcess;
  std::string where_;
  int held_[2] = {-1, -1}; // commands write, the test reads
  int go_[2] = {-1, -1};   // the test writes, commands read
};

// One ovalon-cli run in a child process of its own, started without waiting.
class CliProcess {
public:
  // `user`, when given, is the user id the command runs as (the test running as root).
  CliProcess(const std::filesystem::path &library, const std::vector<std::string> &arguments,
             PausePoint *pause = nullptr,
             const std::vector<std::pair<std::string, std::string>> &environment = {},
             int user = -1);
  ~CliProcess();
  CliProcess(CliProcess &&other) noexcept;
  CliProcess(const CliProcess &) = delete;
  CliProcess &operator=(const CliProcess &) = delete;

  pid_t pid() const { return pid_; }
  // Waits for it to end: what it printed and its exit status (-1 when a signal ended it).
  CliResult wait();

private:
  pid_t pid_ = -1;
  std::filesystem::path capture_;
};

} // namespace ovalon::testing
