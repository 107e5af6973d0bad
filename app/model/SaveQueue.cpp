#include "model/SaveQueue.h"

#include <QThreadPool>

namespace ovalon {

void SaveQueue::push(std::function<void()> write) {
  std::lock_guard lock(mutex_);
  writes_.push_back(std::move(write));
  if (running_)
    return;
  running_ = true;
  pool_.start([this] { drain(); });
}

// One pool thread runs the queue until it is empty, so its writes keep their order.
void SaveQueue::drain() {
  for (;;) {
    std::function<void()> write;
    {
      std::lock_guard lock(mutex_);
      if (writes_.empty()) {
        running_ = false;
        done_.notify_all();
        return;
      }
      write = std::move(writes_.front());
      writes_.pop_front();
    }
    write();
  }
}

void SaveQueue::waitUntilDone() {
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return !running_; });
}

bool SaveQueue::idle() const {
  std::lock_guard lock(mutex_);
  return !running_;
}

} // namespace ovalon
