#pragma once
// The program's fixed texts: version, application title, the About texts;
// and the date and time formats used for the whole run (model/time_formats.h).

#include <QString>

#include "model/time_formats.h"

namespace vmk {

inline constexpr char kVersionText[] = "3.1.110418";

// "ВАРНЕТ ВМК-01 config v" + the first three characters of the version.
QString applicationTitle();

// Title and text handed to the About library.
QString aboutTitle();  // "Конфигуратор ВМК-01.01(02,03)"
QString aboutText();   // "Версия 3.1.110418"

}  // namespace vmk
