#pragma once
// The program's fixed texts: version, application title, the About texts,
// and the date and time formats used for the whole run (they never follow
// the system's regional settings).

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace vmk {

inline constexpr char kVersionText[] = "3.1.110418";

// "ВАРНЕТ ВМК-01 config v" + the first three characters of the version.
QString applicationTitle();

// Title and text handed to the About library.
QString aboutTitle();  // "Конфигуратор ВМК-01.01(02,03)"
QString aboutText();   // "Версия 3.1.110418"

inline constexpr char kShortDateFormat[] = "dd.MM.yyyy";
inline constexpr char kLongTimeFormat[] = "HH:mm:ss";

QString formatShortDate(const QDate& date);
QString formatLongTime(const QTime& time);
// The PC time as the memo lines begin with it.
QString formatLongTime(const QDateTime& moment);
// A date in the short date format; an invalid QDate for any other text.
QDate parseShortDate(const QString& text);

}  // namespace vmk
