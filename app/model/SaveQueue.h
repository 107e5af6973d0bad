#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class QThreadPool;

namespace ovalon {

// The writes of one test, run off the interface thread one after another in the
// order they were queued, so two saves never overlap, an older one never lands
// after a newer one, and a delete comes after the save that was writing.
class SaveQueue {
public:
  explicit SaveQueue(QThreadPool &pool) : pool_(pool) {}
  ~SaveQueue() { waitUntilDone(); }
  SaveQueue(const SaveQueue &) = delete;
  SaveQueue &operator=(const SaveQueue &) = delete;

  void push(std::function<void()> write);
  // Blocks until every write queued so far has run.
  void waitUntilDone();
  bool idle() const;

private:
  void drain();

  QThreadPool &pool_;
  mutable std::mutex mutex_;
  std::condition_variable done_;
  std::deque<std::function<void()>> writes_;
  bool running_ = false;
};

} // namespace ovalon
