#include "app/splash_form.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "app/pictures.h"

namespace vmk {

TSplashFrm::TSplashFrm(int durationMs, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("SplashFrm"));
  setFixedSize(526, 407);
  m_picture = new QLabel(this);
  m_picture->setObjectName(QStringLiteral("Image1"));
  m_picture->setScaledContents(true);
  m_picture->setPixmap(splashPicture(size()));
  m_picture->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_picture);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  setWindowOpacity(m_alpha / 255.0);

  m_fade.setInterval(kFadeStepMs);
  connect(&m_fade, &QTimer::timeout, this, &TSplashFrm::fadeStep);
  m_end.setInterval(durationMs);
  connect(&m_end, &QTimer::timeout, this, &TSplashFrm::finish);
  m_fade.start();
  m_end.start();
}

void TSplashFrm::fadeStep() {
  if (m_alpha < 250) {
    m_alpha += 20;
    setWindowOpacity(std::min(m_alpha, 255) / 255.0);
  }
}

void TSplashFrm::finish() {
  if (m_ended) return;
  m_end.stop();
  m_fade.stop();
  m_ended = true;
  Q_EMIT ended();
}

bool TSplashFrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_picture && event->type() == QEvent::MouseButtonDblClick) finish();
  return QWidget::eventFilter(watched, event);
}

void TSplashFrm::showAndWait() {
  show();
  repaint();
  if (m_ended) return;
  QEventLoop loop;
  connect(this, &TSplashFrm::ended, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace vmk
