#pragma once

#include <string>

namespace ovalon::cli {

// A one-line progress bar on standard error, drawn only when standard error
// is a terminal, so scripts and logs stay clean.
class ProgressBar {
public:
  explicit ProgressBar(std::string title);
  ~ProgressBar();
  ProgressBar(const ProgressBar &) = delete;
  ProgressBar &operator=(const ProgressBar &) = delete;

  void update(int done, int total);

private:
  std::string title_;
  bool enabled_;
  bool drawn_ = false;
};

} // namespace ovalon::cli
