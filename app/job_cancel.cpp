#include "app/job_cancel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

#include "model/job.h"

namespace vmk {

namespace {

constexpr int kGap = 4;  // pixels between the gauge and the button

}  // namespace

JobCancel::JobCancel(JobControl& jobs, QWidget* window, QList<QWidget*> gauges)
    : QObject(window), m_jobs(jobs), m_window(window), m_gauges(std::move(gauges)) {
  m_panel = new QWidget(window, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  m_panel->setObjectName(QStringLiteral("pnlCancel"));
  m_panel->setAttribute(Qt::WA_ShowWithoutActivating);
  auto* layout = new QHBoxLayout(m_panel);
  layout->setContentsMargins(0, 0, 0, 0);
  m_button = new QPushButton(QStringLiteral("Прервать"), m_panel);
  m_button->setObjectName(QStringLiteral("btnCancel"));
  m_button->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(m_button);
  m_panel->hide();

  connect(m_button, &QPushButton::clicked, this, [this] { m_jobs.requestCancel(); });
  connect(&m_jobs, &JobControl::started, this, &JobCancel::jobStarted);
  connect(&m_jobs, &JobControl::finished, this, &JobCancel::jobFinished);
  m_window->installEventFilter(this);
}

JobCancel::~JobCancel() {
  if (m_filtering) qApp->removeEventFilter(this);
}

void JobCancel::jobStarted(int maximum) {
  if (!m_filtering) {
    qApp->installEventFilter(this);
    m_filtering = true;
  }
  if (maximum <= 1) return;
  place();
  m_panel->setEnabled(true);
  m_panel->show();
}

void JobCancel::jobFinished() {
  if (m_filtering) {
    qApp->removeEventFilter(this);
    m_filtering = false;
  }
  m_panel->hide();
}

void JobCancel::place() {
  QWidget* anchor = nullptr;
  for (QWidget* g : m_gauges)
    if (g && g->isVisibleTo(m_window)) {
      anchor = g;
      break;
    }
  const QSize size = m_panel->sizeHint();
  QPoint at;
  if (anchor) {
    const QRect r = anchor->rect();
    at = anchor->mapToGlobal(QPoint(r.right() + kGap, r.center().y() - size.height() / 2));
  } else {
    at = m_window->mapToGlobal(QPoint(m_window->width() - size.width() - kGap,
                                      m_window->height() - size.height() - kGap));
  }
  m_panel->setGeometry(QRect(at, size));
}

bool JobCancel::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    // Disabling the main window disables its tool windows too; the button
    // of a running job stays usable.
    case QEvent::EnabledChange:
      if (watched == m_window && m_jobs.isRunning() && !m_panel->isEnabled())
        m_panel->setEnabled(true);
      break;
    case QEvent::Move:
    case QEvent::Resize:
      if (watched == m_window && m_panel->isVisible()) place();
      break;
    // Seen by the application-wide filter whatever widget has the focus,
    // the disabled main window included.
    case QEvent::KeyPress:
      if (m_jobs.isRunning() && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_jobs.requestCancel();
        return true;
      }
      break;
    default:
      break;
  }
  return false;
}

}  // namespace vmk
