#include "shell/app_info.h"

namespace vmk {

QString applicationTitle() {
  return QStringLiteral("ВАРНЕТ ВМК-01 config v") + QString::fromLatin1(kVersionText).left(3);
}

QString aboutTitle() { return QStringLiteral("Конфигуратор ВМК-01.01(02,03)"); }

QString aboutText() { return QStringLiteral("Версия ") + QString::fromLatin1(kVersionText); }

QString formatShortDate(const QDate& date) {
  return date.toString(QString::fromLatin1(kShortDateFormat));
}

QString formatLongTime(const QTime& time) {
  return time.toString(QString::fromLatin1(kLongTimeFormat));
}

QString formatLongTime(const QDateTime& moment) { return formatLongTime(moment.time()); }

QDate parseShortDate(const QString& text) {
  return QDate::fromString(text, QString::fromLatin1(kShortDateFormat));
}

}  // namespace vmk
