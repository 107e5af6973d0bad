#include "ProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace ovalon::cli {

ProgressBar::ProgressBar(std::string title)
    : title_(std::move(title)), enabled_(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
  if (drawn_)
    std::fputs("\r\033[K", stderr);
}

void ProgressBar::update(int done, int total) {
  if (!enabled_ || total <= 0)
    return;
  constexpr int width = 30;
  int filled = done * width / total;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(width - filled), '-');
  std::fprintf(stderr, "\r%s [%s] %d/%d", title_.c_str(), bar.c_str(), done, total);
  std::fflush(stderr);
  drawn_ = true;
}

} // namespace ovalon::cli
