#pragma once
// Register numbers of the device image (docs/wire-protocol.md).

namespace vmk::sim::reg {

constexpr int kName = 0;  // 0..4, two Windows-1251 characters each
constexpr int kVersion = 5;
constexpr int kFactoryNumber = 6;
constexpr int kLanguage = 8;

constexpr int kInputs = 16;
constexpr int kStageFlags = 17;  // 17..20: МТЗ-1..3, ЗНЗ
constexpr int kReclosingFlag = 21;
constexpr int kIa = 32, kIb = 33, kIc = 34, kIo = 35;
constexpr int kLastMtzTrip = 36, kLastZnzTrip = 37;

constexpr int kAddress = 64;
constexpr int kInterface = 65;
constexpr int kPassword = 66;  // 66..67
constexpr int kActiveGroup = 68;
constexpr int kGroupMode = 69;
constexpr int kCtPrimary = 80, kCtSecondary = 81, kEarthCtPrimary = 82, kEarthCtSecondary = 83;
constexpr int kClock = 84;  // 84..86
constexpr int kContactTimes = 122;  // relay 1, УРОВ, relays 2..5
constexpr int kStatistics = 144;    // 144..165
constexpr int kStatisticsCount = 22;
constexpr int kChannels = 192;      // 192..223

constexpr int kGroup1 = 256;
constexpr int kGroup2 = 512;
constexpr int kGroupSize = 38;

}  // namespace vmk::sim::reg
