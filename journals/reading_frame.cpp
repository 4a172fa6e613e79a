#include "journals/reading_frame.h"

#include "model/progress.h"

namespace vmk {

ReadingFrame::BarShown::BarShown(Progress* bar, int maximum) : m_bar(bar) {
  if (!m_bar) return;
  m_bar->setRange(0, maximum);
  m_bar->setPosition(0);
  m_bar->setVisible(true);
}

ReadingFrame::BarShown::~BarShown() {
  if (m_bar) m_bar->setVisible(false);
}

ReadingFrame::ReadingFrame(Session& session, JobControl& jobs, Progress* bar, int maximum)
    : m_port(session), m_bar(bar, maximum), m_job(jobs, maximum, bar) {}

// The job ends first, then the bar goes, then the port closes.
ReadingFrame::~ReadingFrame() = default;

}  // namespace vmk
