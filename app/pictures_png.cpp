#include "app/pictures.h"

#include <QPainter>

namespace vmk {

QIcon toolbarIcon(int index) { return QIcon(QStringLiteral(":/icons/%1.png").arg(index)); }

QPixmap splashPicture(const QSize& size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::black);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(pixmap.rect(), QPixmap(QStringLiteral(":/icons/splash.png")));
  return pixmap;
}

}  // namespace vmk
