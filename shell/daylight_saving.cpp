#include "shell/daylight_saving.h"

#include <array>

#include "shell/app_info.h"
#include "shell/winter_time_place.h"

namespace vmk {

namespace {

struct SwitchYear {
  const char* summerFrom;
  const char* winterFrom;
};

// Dates in the short date format, read at every check.
constexpr std::array<SwitchYear, 7> kSwitchTable{{
    {"02.04.2006", "29.10.2006"},
    {"01.04.2007", "28.10.2007"},
    {"06.04.2008", "26.10.2008"},
    {"05.04.2009", "25.10.2009"},
    {"04.04.2010", "31.10.2010"},
    {"03.04.2011", "30.10.2011"},
    {"01.04.2012", "28.10.2012"},
}};

const QString kWinterTimeKey = QStringLiteral("WinterTime");

}  // namespace

WinterTimeSettings::WinterTimeSettings() : SettingsFlag(openWinterTimeSettings(), kWinterTimeKey) {}

bool isWinterTime(const QDateTime& now) {
  bool winter = true;
  for (const SwitchYear& y : kSwitchTable) {
    const QDateTime summer = parseShortDate(QString::fromLatin1(y.summerFrom)).startOfDay();
    const QDateTime back = parseShortDate(QString::fromLatin1(y.winterFrom)).startOfDay();
    if (now >= summer && now < back) winter = false;
  }
  return winter;
}

void CheckDaylightSaving(const Clock& clock, BoolStore& store, Prompts& prompts) {
  const bool winter = isWinterTime(clock.now());
  std::optional<bool> stored = store.read();
  if (!stored) {
    store.write(winter);
    stored = winter;
  }
  if (*stored == winter) return;
  prompts.information(QStringLiteral("Мы перешли на зимнее/летнее время"));
  store.write(winter);
}

}  // namespace vmk
