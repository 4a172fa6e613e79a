#include "app/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

// Outside the namespace, as Q_INIT_RESOURCE wants.
static void registerIcons() { Q_INIT_RESOURCE(icons); }

namespace vmk {

void registerPictures() { registerIcons(); }

QIcon toolbarIcon(int index) { return QIcon(QStringLiteral(":/icons/%1.svg").arg(index)); }

QPixmap splashPicture(const QSize& size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::black);
  QPainter painter(&pixmap);
  QSvgRenderer(QStringLiteral(":/icons/splash.svg")).render(&painter);
  return pixmap;
}

}  // namespace vmk
