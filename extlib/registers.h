#pragma once
// The device's register map and the codes its custom functions take: the
// one place for register numbers and block ranges, used by the
// configurator and by the simulated device (docs/wire-protocol.md).

#include <cstdint>

namespace vmk::reg {

// A run of registers read with one request.
struct Block {
  std::uint16_t first;
  std::uint16_t count;
  constexpr int last() const { return first + count - 1; }
  constexpr bool contains(int r) const { return r >= first && r <= last(); }
};

// The whole image spans registers 0..767.
constexpr int kImageSize = 768;

// --- Identity, read at connection --------------------------------------
constexpr Block kIdentity{0, 9};
constexpr int kName = 0;  // 0..4, two Windows-1251 characters each
constexpr int kNameCount = 5;
constexpr int kVersion = 5;
constexpr int kFactoryNumber = 6;
constexpr int kIdentityReserved = 7;
constexpr int kLanguage = 8;

// --- Live values, read by every refresh ----------------------------------
constexpr Block kLive{16, 22};
constexpr int kInputs = 16;
constexpr int kStageFlags = 17;  // 17..20: МТЗ-1..3, ЗНЗ
constexpr int kStageCount = 4;
constexpr int kReclosingFlag = 21;
constexpr int kIa = 32, kIb = 33, kIc = 34, kIo = 35;
constexpr int kLastMtzTrip = 36, kLastZnzTrip = 37;
// A variant-3 device in calibration shows its readings here (Ia, Ic).
constexpr Block kCalibrationLive{16, 21};

// --- Setup, read at connection and after every write --------------------
constexpr Block kSetup{64, 23};
constexpr int kAddress = 64;
constexpr int kInterface = 65;
constexpr int kPassword = 66;  // 66..67: four letters, high byte first
constexpr int kPasswordLow = 67;
constexpr int kActiveGroup = 68;
constexpr int kGroupMode = 69;
constexpr int kCtPrimary = 80, kCtSecondary = 81, kEarthCtPrimary = 82, kEarthCtSecondary = 83;
constexpr int kClock = 84;  // 84..86: YY MM, DD hh, mm ss (BCD)
constexpr int kClockCount = 3;

// --- Parameters: the blocks the parameter grid is read from -------------
constexpr Block kParamBlocks[] = {{64, 20}, {96, 44}, {140, 4}, {192, 32}};
constexpr int kParamFirst = 64;
constexpr int kParamLast = 223;
constexpr int kIndicators = 96;     // 96..111: indicators 1..8, low word then high word
constexpr int kIndicatorCount = 8;
constexpr int kRelayConfig = 112;   // 112..121: relays 1..5, low word then high word
constexpr int kRelayCount = 5;
constexpr int kContactTimes = 122;  // relay 1 at 122, УРОВ 123, relays 2..5 at 124..127
constexpr int kContactTimeCount = 6;
// The contact time of output relay 1..5.
constexpr int contactTimeRegister(int relay) { return relay == 1 ? kContactTimes : kContactTimes + relay; }
constexpr int kInputConfig = 128;   // 128..133: inputs 1..6
constexpr int kInputCount = 6;
constexpr int kInputDelays = 134;   // 134..139: inputs 1..6
constexpr int kRecorderPreTrigger = 140;
constexpr int kRecorderSource = 142;
constexpr Block kStatistics{144, 22};  // read only; 165 is the hours in service
constexpr int kRelayCounters = 160;    // 160..164: operations of relays 1..5
constexpr int kHoursInService = 165;   // not cleared with the statistics
constexpr Block kChannels{192, 32};    // recorder channel assignments
constexpr int kChannelCount = 16;      // channel n: low word at 190 + 2n, high word at 191 + 2n
// The function (item of the viewer library's list 7) that bit `bit` (0..31)
// of a channel's 32-bit assignment stands for: bits 0..15 are items
// 11..26, bits 16..26 items 0..10, bits 27..31 themselves.
constexpr int channelItemOfBit(int bit) {
  if (bit < 16) return bit + 11;
  if (bit <= 26) return bit - 16;
  return bit;
}

// --- Settings: two groups of 38 registers --------------------------------
constexpr int kGroup1 = 256;
constexpr int kGroup2 = 512;
constexpr int kGroupSize = 38;
constexpr int groupBase(int group) { return group == 2 ? kGroup2 : kGroup1; }
constexpr Block groupBlock(int group) { return {std::uint16_t(groupBase(group)), kGroupSize}; }

// --- Remote commands (function 5 coil codes) -----------------------------
constexpr std::uint16_t kCommandRelay1 = 0x3000;  // relays 1..5: 0x3000..0x3004
constexpr std::uint16_t kCommandAcknowledge = 0x3005;
constexpr std::uint16_t kCommandRecorderStart = 0x3006;
constexpr std::uint16_t kCoilOn = 0xFF00;

// --- Service requests (function 0x18) ------------------------------------
enum ServiceSub : std::uint8_t {
  kServiceSerial = 0,       // change the factory number
  kServiceClearStats = 1,   // clear the statistics counters
  kServiceEraseOsc = 2,     // erase the oscillogram journal
  kServiceEraseEvents = 3,  // erase the event journal
  kServiceCalibration = 4,  // calibration mode: argument 0 enter, 0xFFFF leave
};
constexpr std::uint16_t kCalibrationEnter = 0;
constexpr std::uint16_t kCalibrationLeave = 0xFFFF;
// Frame byte 4 of a service reply: carried out or refused.
constexpr std::uint8_t kServiceDone = 0;
constexpr std::uint8_t kServiceRefused = 255;
// The constant added into the access code.
constexpr std::uint16_t kAccessSalt = 0x5A;

// --- Journals -------------------------------------------------------------
constexpr int kEventRecords = 34;   // records 0..33
constexpr int kAlarmEntries = 15;   // entries 0..14 on the device
constexpr int kOscBlocks = 250;     // blocks 0..249
constexpr int kOscSamples = 6000;

}  // namespace vmk::reg
