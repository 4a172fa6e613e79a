#pragma once
// `TVMK`: the decoded image of the connected device.

#include <QString>
#include <cstdint>

namespace vmk {

// The setup fields, replaced as a whole whenever the setup block is read.
struct SetupFields {
  std::uint8_t NetAddress = 0;
  std::uint16_t InterfaceWord = 0;
  QString DevicePassword;
  std::uint8_t ActiveGroup = 0;
  std::uint8_t GroupChangeMode = 0;
  std::uint16_t CtPrimary = 0;
  std::uint16_t CtSecondary = 0;
  std::uint16_t EarthCtPrimary = 0;
  std::uint16_t EarthCtSecondary = 0;
  // Device clock at the last setup read. An undefined clock holds month 0,
  // which MakeDeviceDateTime turns into "undefined".
  std::uint16_t ClockYear = 0;
  std::uint8_t ClockMonth = 0;
  std::uint8_t ClockDay = 0;
  std::uint8_t ClockHour = 0;
  std::uint8_t ClockMinute = 0;
  std::uint8_t ClockSecond = 0;

  bool operator==(const SetupFields&) const = default;
};

struct TVMK {
  QString Name;
  std::uint16_t VersionWord = 0;
  std::uint16_t SerialNumber = 0;
  QString Language;
  SetupFields setup;
  std::uint16_t ServiceNonce = 0;
  std::int16_t DeviceVariant = 0;

  bool operator==(const TVMK&) const = default;
};

// The ВМК-03 (variant 3) keeps no journals, has no clock and measures
// phases A and C only.
constexpr std::int16_t kVariantWithoutJournals = 3;
inline bool hasJournals(const TVMK& device) { return device.DeviceVariant != kVariantWithoutJournals; }
inline bool hasClock(const TVMK& device) { return hasJournals(device); }
// The calibration points a device has: 1..8, or the odd ones (phases A and
// C) on a ВМК-03.
inline bool hasCalibrationPoint(const TVMK& device, int point) {
  return point >= 1 && point <= 8 && (hasJournals(device) || point % 2 == 1);
}

}  // namespace vmk
