#include "app/pictures.h"

#include <QPainter>

// Outside the namespace, as Q_INIT_RESOURCE wants.
static void registerIcons() { Q_INIT_RESOURCE(icon_pngs); }

namespace vmk {

void registerPictures() { registerIcons(); }

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
