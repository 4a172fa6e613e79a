#pragma once
// The frame every journal reading runs in: the port bracket, the progress
// bar `ProgressBar1` (position 0, the reading's maximum, shown while the
// reading runs and hidden on every way out) and the job whose steps move
// it, let the face paint and take a cancel.
//
//   ReadingFrame frame(session, jobs, bar, 33);
//   for (int i = 0; i <= 33; ++i) {
//     if (!frame.step(i)) return Outcome::Cancelled;
//     ...one exchange...
//   }

#include "device/session.h"
#include "model/job.h"

namespace vmk {

class Progress;

class ReadingFrame {
 public:
  // Opens the port (throws Error when it cannot be opened: nothing is
  // shown then) and shows `bar`, when given, at position 0 of `maximum`.
  ReadingFrame(Session& session, JobControl& jobs, Progress* bar, int maximum);
  ~ReadingFrame();
  ReadingFrame(const ReadingFrame&) = delete;
  ReadingFrame& operator=(const ReadingFrame&) = delete;

  // One step: the bar shows `position`, pending window messages are
  // processed. False when the reading is to stop: a cancel was asked for,
  // or another job runs (this one never started).
  bool step(int position) { return m_job.step(position); }

 private:
  // Shows the bar first and hides it last, around the job.
  class BarShown {
   public:
    BarShown(Progress* bar, int maximum);
    ~BarShown();
    BarShown(const BarShown&) = delete;
    BarShown& operator=(const BarShown&) = delete;

   private:
    Progress* m_bar;
  };

  PortBracket m_port;
  BarShown m_bar;
  Job m_job;
};

}  // namespace vmk
