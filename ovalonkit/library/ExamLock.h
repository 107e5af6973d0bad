#pragma once

#include <chrono>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>

namespace ovalon {

// The right to change one test's document, shared by every process that works
// on the library (the app and ovalon-cli alike): an exclusive flock on
// Tests/<id>.lock. Hold it only across one load–change–save, never while pages
// are being read, so that nobody waits long. The kernel drops it when the
// holder exits, however it exits.
//
// ExamLibrary::update takes it for you; take it yourself only for work that
// update doesn't cover.
class ExamLock {
public:
  // Nobody let go of the lock in time: who holds it, when that could be read.
  struct Failure {
    std::optional<long> holderProcess;
    std::string holderCommand; // "ovalon-cli grade Unit 3 quiz scan.pdf"
    std::string problem;       // set when the lock file itself couldn't be opened

    // "Another program is changing this test (ovalon-cli grade …, process 4242).
    // Try again when it has finished."
    std::string description() const;
  };

  // How long a change waits for another one before it gives up.
  static constexpr std::chrono::milliseconds defaultWait{5000};

  // Creates the lock file if needed and waits up to `wait` for it. Once held,
  // the file names this process (its id and command line) for those who wait.
  static std::expected<ExamLock, Failure> acquire(const std::filesystem::path &path,
                                                  std::chrono::milliseconds wait = defaultWait);

  ExamLock(ExamLock &&other) noexcept;
  ExamLock &operator=(ExamLock &&other) noexcept;
  ExamLock(const ExamLock &) = delete;
  ExamLock &operator=(const ExamLock &) = delete;
  ~ExamLock();

  // Removes the lock file while holding it, for a test that is being deleted.
  // Anyone already waiting on it notices and takes a fresh one.
  void removeFile();

private:
  ExamLock(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  int fd_ = -1;
  std::filesystem::path path_;
};

} // namespace ovalon
