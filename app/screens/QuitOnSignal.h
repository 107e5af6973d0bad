#pragma once

#include <QObject>

class QSocketNotifier;

namespace ovalon {

// Turns SIGTERM and SIGINT (a logout, `kill`, Ctrl+C in the terminal) into an
// ordinary quit, so aboutToQuit runs and pending saves reach the disk. The
// handler only writes a byte to a pipe; the quit happens on the event loop.
class QuitOnSignal : public QObject {
public:
  explicit QuitOnSignal(QObject *parent = nullptr);
  ~QuitOnSignal() override;

private:
  QSocketNotifier *notifier_ = nullptr;
};

} // namespace ovalon
