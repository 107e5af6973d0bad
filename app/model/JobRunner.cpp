#include "model/JobRunner.h"

#include "scanning/TextRecognizer.h"

namespace ovalon {

JobRunner::JobRunner(QObject *parent) : QObject(parent) {
  pool_.setMaxThreadCount(1);
}

JobRunner::~JobRunner() {
  cancel();
  pool_.waitForDone();
}

void JobRunner::setProgress(std::optional<JobProgress> progress) {
  if (progress == progress_)
    return;
  progress_ = std::move(progress);
  emit progressChanged();
}

void JobRunner::launch(std::function<void()> run) {
  pool_.start([run = std::move(run)] {
    run();
    // QThreadPool's threads end after waitForDone() returns, so a recogniser left to the
    // thread's own ending could still be shutting down while the app exits.
    TextRecognizer::endThreadRecognizer();
  });
}

void JobRunner::report(int job, int done, int total) {
  QMetaObject::invokeMethod(
      this,
      [this, job, done, total] {
        if (current(job) && progress_)
          setProgress(JobProgress{progress_->title, done, total});
      },
      Qt::QueuedConnection);
}

void JobRunner::end() {
  job_.reset();
  setProgress(std::nullopt);
}

void JobRunner::cancel() {
  if (job_)
    job_->stop.request_stop();
}

} // namespace ovalon
