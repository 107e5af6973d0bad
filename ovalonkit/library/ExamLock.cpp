#include "library/ExamLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace ovalon {

namespace {

constexpr size_t maxCommandLength = 120;
constexpr std::chrono::milliseconds pollInterval{15};

// This process as others see it: its command line, program name without its folder.
std::string commandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!text.empty() && text.back() == '\0')
    text.pop_back();
  if (auto end = text.find('\0'); end != std::string::npos) {
    if (auto slash = text.rfind('/', end); slash != std::string::npos)
      text.erase(0, slash + 1);
  } else if (auto slash = text.rfind('/'); slash != std::string::npos) {
    text.erase(0, slash + 1);
  }
  for (char &c : text)
    if (c == '\0' || c == '\n')
      c = ' ';
  if (text.size() > maxCommandLength)
    text = text.substr(0, maxCommandLength) + "\u2026";
  return text;
}

void writeHolder(int fd) {
  std::string line = std::to_string(getpid()) + " " + commandLine() + "\n";
  if (ftruncate(fd, 0) == 0)
    (void)!pwrite(fd, line.data(), line.size(), 0);
}

ExamLock::Failure holderOf(const std::filesystem::path &path) {
  ExamLock::Failure failure;
  std::ifstream in(path);
  long pid = 0;
  if (in >> pid && pid > 0) {
    failure.holderProcess = pid;
    std::getline(in >> std::ws, failure.holderCommand);
  }
  return failure;
}

// The lock is ours only if the file we locked is still the one at `path`: a
// delete may have removed it while we waited.
bool stillLinked(int fd, const std::filesystem::path &path) {
  struct stat held {
  }, current{};
  return fstat(fd, &held) == 0 && ::stat(path.c_str(), &current) == 0 &&
         held.st_ino == current.st_ino && held.st_dev == current.st_dev;
}

} // namespace

std::string ExamLock::Failure::description() const {
  if (!problem.empty())
    return problem;
  std::string sentence = "Another program is changing this test";
  if (holderProcess)
    sentence += " (" +
                (holderCommand.empty() ? std::string("process ") : holderCommand + ", process ") +
                std::to_string(*holderProcess) + ")";
  return sentence + ". Try again when it has finished.";
}

std::expected<ExamLock, ExamLock::Failure> ExamLock::acquire(const std::filesystem::path &path,
                                                             std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      Failure failure;
      failure.problem = "Couldn\u2019t lock the test (\u201C" + path.filename().string() +
                        "\u201D): " + std::strerror(errno) + ".";
      return std::unexpected(std::move(failure));
    }
    for (;;) {
      if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        break;
      if (errno != EWOULDBLOCK && errno != EINTR) {
        close(fd);
        Failure failure;
        failure.problem = "Couldn\u2019t lock the test (\u201C" + path.filename().string() +
                          "\u201D): " + std::strerror(errno) + ".";
        return std::unexpected(std::move(failure));
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        close(fd);
        return std::unexpected(holderOf(path));
      }
      std::this_thread::sleep_for(pollInterval);
    }
    if (stillLinked(fd, path)) {
      writeHolder(fd);
      return ExamLock(fd, path);
    }
    close(fd);
  }
}

ExamLock::ExamLock(ExamLock &&other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

ExamLock &ExamLock::operator=(ExamLock &&other) noexcept {
  if (this != &other) {
    if (fd_ >= 0)
      close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

ExamLock::~ExamLock() {
  // Emptied first, so nobody reads a holder that has let go.
  if (fd_ >= 0) {
    (void)!ftruncate(fd_, 0);
    close(fd_);
  }
}

void ExamLock::removeFile() {
  if (fd_ >= 0)
    unlink(path_.c_str());
}

} // namespace ovalon
