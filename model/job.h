#pragma once
// Long operations (polling, the journals, the oscillogram download, batch
// work) run as jobs: steps with progress, a cancel request checked between
// exchanges, and one job at a time. `JobControl` is the face's side: the
// window shows the progress and takes Esc or "Прервать", vmkctl prints a
// progress line and takes SIGINT. `Job` is the operation's side.
//
//   Job job(ws.jobs, 32, &ws.link.Gauge1);
//   for (int address = 1; address <= 32; ++address) {
//     if (!job.step(address - 1)) return Outcome::Cancelled;  // cancel asked
//     ...one exchange...
//   }

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

namespace vmk {

class Progress;

class JobControl : public QObject {
  Q_OBJECT
 public:
  // What a job does at every step so that the face stays painted and can
  // take a cancel: the window dispatches pending messages; tests count.
  std::function<void()> processEvents;

  bool isRunning() const { return m_running; }

  // Asks the running job to stop at its next step. Safe from a signal
  // handler (an atomic flag); a request while no job runs is forgotten
  // when the next one starts.
  void requestCancel() { m_cancel.store(true); }
  bool cancelRequested() const { return m_cancel.load(); }

 Q_SIGNALS:
  void started(int maximum);
  void progressed(int position, int maximum);
  void finished(bool cancelled);

 private:
  friend class Job;
  std::atomic<bool> m_cancel{false};
  bool m_running = false;
};

class Job {
 public:
  // Starts a job of `maximum` steps. `progress`, when given, is the gauge or
  // progress bar that shows it (its position follows step()). While another
  // job runs, this one does not start: started() is false and step()
  // always false.
  Job(JobControl& control, int maximum, Progress* progress = nullptr);
  ~Job();
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  bool started() const { return m_started; }

  // One step reached: shows `position`, lets the face paint and take a
  // cancel. False when the job is to stop (cancel requested, or not
  // started); the caller then ends with Outcome::Cancelled.
  bool step(int position);

  // True once a step saw the cancel request.
  bool cancelled() const { return m_cancelled; }

 private:
  JobControl& m_control;
  Progress* m_progress;
  int m_maximum;
  bool m_started = false;
  bool m_cancelled = false;
};

}  // namespace vmk
