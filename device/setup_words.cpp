#include "device/setup_words.h"

#include "extlib/charset.h"
#include "extlib/registers.h"

namespace vmk {

void storeSetupWords(SetupFields& setup, const RegisterWords& w) {
  const std::uint16_t high = w.at(reg::kPassword), low = w.at(reg::kPasswordLow);
  setup.NetAddress = std::uint8_t(w.at(reg::kAddress) & 0xFF);
  setup.InterfaceWord = w.at(reg::kInterface);
  setup.DevicePassword = cp1251::decodeChar(high >> 8) + cp1251::decodeChar(high & 0xFF) +
                         cp1251::decodeChar(low >> 8) + cp1251::decodeChar(low & 0xFF);
  setup.ActiveGroup = std::uint8_t((w.at(reg::kActiveGroup) & 1) + 1);
  setup.GroupChangeMode = std::uint8_t(w.at(reg::kGroupMode) & 1);
  setup.CtPrimary = w.at(reg::kCtPrimary);
  setup.CtSecondary = w.at(reg::kCtSecondary);
  setup.EarthCtPrimary = w.at(reg::kEarthCtPrimary);
  setup.EarthCtSecondary = w.at(reg::kEarthCtSecondary);
}

}  // namespace vmk
