#include "shell/winter_time_place.h"

namespace vmk {

std::unique_ptr<QSettings> openWinterTimeSettings() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnet"));
}

}  // namespace vmk
