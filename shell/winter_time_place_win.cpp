#include "shell/winter_time_place.h"

namespace vmk {

std::unique_ptr<QSettings> openWinterTimeSettings() {
  // The machine's key, as the device family's other programs read it; a
  // user without the right to write it gets a store that does not write.
  return std::make_unique<QSettings>(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnet"),
                                     QSettings::NativeFormat);
}

}  // namespace vmk
