#include "model/time_formats.h"

namespace vmk {

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

QDateTime parseShortDateLongTime(const QString& text) {
  return QDateTime::fromString(
      text, QString::fromLatin1(kShortDateFormat) + QLatin1Char(' ') + QString::fromLatin1(kLongTimeFormat));
}

}  // namespace vmk
