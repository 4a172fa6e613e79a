#pragma once
// The daylight-saving notice: from a fixed table of switch dates the program
// works out whether the PC's date lies in a summer-time period, compares
// that with the state stored at the previous start and tells the user once
// when it has changed.

#include <QDateTime>
#include <QSettings>
#include <memory>
#include <optional>

#include "model/clock.h"
#include "model/prompts.h"
#include "shell/user_setting.h"

namespace vmk {

// The real store: value "WinterTime" (1 = winter) of organisation
// "Varnet" in the system's native settings (shell/winter_time_place.h).
class WinterTimeSettings : public SettingsFlag {
 public:
  WinterTimeSettings();
};

// True unless `now` lies in one of the summer periods of the table (each
// switch at 00:00 of its day); every date after the table is winter time.
bool isWinterTime(const QDateTime& now);

// `CheckDaylightSaving`. Store failures are ignored and never reported.
void CheckDaylightSaving(const Clock& clock, BoolStore& store, Prompts& prompts);

}  // namespace vmk
