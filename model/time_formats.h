#pragma once
// The date and time formats of the whole run. They are fixed at start and
// never follow the system's regional settings; a text that needs another
// format (a journal, a file) makes it for that text alone.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace vmk {

inline constexpr char kShortDateFormat[] = "dd.MM.yyyy";
inline constexpr char kLongTimeFormat[] = "HH:mm:ss";

QString formatShortDate(const QDate& date);
QString formatLongTime(const QTime& time);
// The PC time as the memo lines begin with it.
QString formatLongTime(const QDateTime& moment);
// A date in the short date format; an invalid QDate for any other text.
QDate parseShortDate(const QString& text);
// A moment written as the short date, a blank and the long time
// ("01.02.2011 13:05:07"); an invalid QDateTime for any other text.
QDateTime parseShortDateLongTime(const QString& text);

}  // namespace vmk
