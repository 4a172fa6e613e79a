#include "shell/app_info.h"

namespace vmk {

QString applicationTitle() {
  return QStringLiteral("ВАРНЕТ ВМК-01 config v") + QString::fromLatin1(kVersionText).left(3);
}

QString aboutTitle() { return QStringLiteral("Конфигуратор ВМК-01.01(02,03)"); }

QString aboutText() { return QStringLiteral("Версия ") + QString::fromLatin1(kVersionText); }

}  // namespace vmk
