#pragma once

#include <QObject>
#include <QThreadPool>

#ifndef Q_MOC_RUN
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#endif

namespace ovalon {

// The banner of a running background job; total 0 means not known yet.
struct JobProgress {
  std::string title;
  int done = 0;
  int total = 0;
  bool operator==(const JobProgress &) const = default;
};

// Runs the reading jobs (a grading run, a key read, a rescan, the sample scan) one
// at a time on their own thread, so saves never queue behind them. A job holds its
// progress banner for its whole life; its result comes back on the interface
// thread before anything in the model changes.
class JobRunner : public QObject {
  Q_OBJECT

public:
  using Report = std::function<void(int done, int total)>;

  explicit JobRunner(QObject *parent = nullptr);
  // A job must not outlive what it reports to: it is stopped and waited for.
  ~JobRunner() override;

  bool busy() const { return job_.has_value(); }
  const std::optional<JobProgress> &progress() const { return progress_; }
  // Shows or clears the banner by hand (a job sets and clears its own).
  void setProgress(std::optional<JobProgress> progress);

  // Runs `work` off the interface thread and then `finish` on it, with the result
  // and whether the job was cancelled. Refused (false) while a banner is showing.
  template <typename Result>
  bool start(JobProgress progress, std::function<Result(std::stop_token, const Report &)> work,
             std::function<void(Result, bool cancelled)> finish);
  // Asks the running job to stop; its banner goes when it has.
  void cancel();
  // Blocks until the job thread is idle (tests and shutdown).
  void waitForJob() { pool_.waitForDone(); }

signals:
  void progressChanged();

private:
  // Starts `run` on the job thread as job number `number`.
  void launch(std::function<void()> run);
  void report(int job, int done, int total);
  bool current(int job) const { return job_ && job_->number == job; }
  void end();

  struct Job {
    int number = 0;
    std::stop_source stop;
  };
  std::optional<Job> job_;
  std::optional<JobProgress> progress_;
  int jobCount_ = 0;
  QThreadPool pool_;
};

template <typename Result>
bool JobRunner::start(JobProgress progress,
                      std::function<Result(std::stop_token, const Report &)> work,
                      std::function<void(Result, bool cancelled)> finish) {
  if (progress_ || job_)
    return false;
  int number = ++jobCount_;
  job_ = Job{number, {}};
  std::stop_token stop = job_->stop.get_token();
  setProgress(std::move(progress));
  launch([this, number, stop, work = std::move(work), finish = std::move(finish)] {
    Report reporter = [this, number](int done, int total) { report(number, done, total); };
    auto result = std::make_shared<Result>(work(stop, reporter));
    bool cancelled = stop.stop_requested();
    QMetaObject::invokeMethod(
        this,
        [this, number, result, cancelled, finish] {
          if (!current(number))
            return;
          end();
          finish(std::move(*result), cancelled);
        },
        Qt::QueuedConnection);
  });
  return true;
}

} // namespace ovalon
