#include "model/job.h"

#include "model/progress.h"

namespace vmk {

Job::Job(JobControl& control, int maximum, Progress* progress)
    : m_control(control), m_progress(progress), m_maximum(maximum) {
  if (m_control.m_running) return;
  m_started = true;
  m_control.m_running = true;
  m_control.m_cancel.store(false);
  Q_EMIT m_control.started(m_maximum);
}

Job::~Job() {
  if (!m_started) return;
  m_control.m_running = false;
  m_control.m_cancel.store(false);
  Q_EMIT m_control.finished(m_cancelled);
}

bool Job::step(int position) {
  if (!m_started) return false;
  if (m_progress) m_progress->setPosition(position);
  Q_EMIT m_control.progressed(position, m_maximum);
  if (m_control.processEvents) m_control.processEvents();
  if (m_control.cancelRequested()) m_cancelled = true;
  return !m_cancelled;
}

}  // namespace vmk
