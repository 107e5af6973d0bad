#include "SignalStop.h"

#include <csignal>
#include <ctime>
#include <pthread.h>
#include <unistd.h>

namespace ovalon::cli {

namespace {

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

} // namespace

SignalStop::SignalStop() {
  // Blocked here, the signals are blocked in every thread started later too,
  // and only the watcher takes them.
  sigset_t set = stopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  watcher_ = std::jthread([this, set](std::stop_token done) {
    const timespec tick{0, 100'000'000};
    while (!done.stop_requested()) {
      int signal = sigtimedwait(&set, nullptr, &tick);
      if (signal <= 0)
        continue;
      if (source_.stop_requested())
        _exit(128 + signal);
      source_.request_stop();
    }
  });
}

SignalStop::~SignalStop() {
  watcher_.request_stop();
  watcher_.join();
  sigset_t set = stopSignals();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

} // namespace ovalon::cli
