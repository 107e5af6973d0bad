#pragma once

#include <stop_token>
#include <thread>

namespace ovalon::cli {

// Turns Ctrl-C (SIGINT) and SIGTERM into a stop request while it lives, so
// that long work ends cleanly and leaves nothing behind; a second signal ends
// the program at once. Create it before any other thread of the command.
class SignalStop {
public:
  SignalStop();
  ~SignalStop();
  SignalStop(const SignalStop &) = delete;
  SignalStop &operator=(const SignalStop &) = delete;

  std::stop_token token() const { return source_.get_token(); }
  bool requested() const { return source_.stop_requested(); }

private:
  std::stop_source source_;
  std::jthread watcher_;
};

} // namespace ovalon::cli
