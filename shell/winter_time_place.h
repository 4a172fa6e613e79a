#pragma once
// Where the daylight-saving notice keeps its state ("WinterTime"): the
// registry key HKEY_LOCAL_MACHINE\SOFTWARE\Varnet on Windows
// (winter_time_place_win.cpp), the user's Varnet.conf of the system's
// native settings elsewhere (winter_time_place_posix.cpp).

#include <QSettings>
#include <memory>

namespace vmk {

std::unique_ptr<QSettings> openWinterTimeSettings();

}  // namespace vmk
