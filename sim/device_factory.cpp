// The image a device leaves the factory with, and a plausible history of a
// feeder in service: its event journal and the matching alarm list.

#include <array>
#include <iterator>
#include <cmath>

#include "extlib/charset.h"
#include "sim/device.h"

namespace vmk::sim {

namespace {

// Version 10 of 18 April 2011: bits 15..11 version, 10..6 day, 5..2 month,
// 1..0 year digit.
constexpr std::uint16_t kVersionWord = (10u << 11) | (18u << 6) | (4u << 2) | 1u;

// Offsets 0..37 of a setting group.
std::array<std::uint16_t, reg::kGroupSize> groupSettings(int group) {
  std::array<std::uint16_t, reg::kGroupSize> s{};
  const bool second = group == 2;
  s[0] = second ? 0x007F : 0x003F;  // active stages: МТЗ-1..3, ЗНЗ, АПВ-1, УРОВ (+ АПВ-2)
  s[1] = 0x0005;                    // blockings
  s[5] = second ? 5000 : 4000;      // МТЗ-1: 8.00 In (10.00 In)
  s[6] = 5;                         // 0.05 s
  s[7] = 0;
  s[8] = 100;                       // acceleration brought in for 1.00 s
  s[12] = second ? 1250 : 1500;     // МТЗ-2: 3.00 In (2.50 In)
  s[13] = 50;                       // 0.50 s
  s[14] = 10;
  s[18] = 600;                      // МТЗ-3: 1.20 In
  s[19] = second ? 200 : 150;       // 1.50 s (2.00 s)
  s[20] = second ? 2 : 1;           // normal (very) inverse characteristic
  s[21] = 20;
  s[25] = second ? 150 : 200;       // ЗНЗ: 0.200 In (0.150 In)
  s[26] = 100;                      // 1.00 s
  s[28] = 1000;                     // АПВ preparation 10 s
  s[29] = 150;                      // АПВ-1 after 1.5 s
  s[30] = 2000;                     // ready again after 20 s
  s[31] = 1500;                     // АПВ-2 after 15 s
  s[32] = 6000;
  s[33] = second ? 5 : 2;           // accelerate МТЗ-2 (МТЗ-1 and МТЗ-3)
  s[34] = 25;                       // УРОВ 0.25 s
  s[35] = 50;                       // УРОВ 0.10 In
  s[36] = 1;
  return s;
}

}  // namespace

void Device::fillFactoryImage() {
  auto set = [this](int r, std::uint16_t v) { m_regs[std::size_t(r)] = v; };

  // Identity. The sixth character of the name is the variant digit.
  const QByteArray name = cp1251::encode(QStringLiteral("ВМК-0%1.01 ").arg(m_variant % 10));
  for (int i = 0; i < reg::kNameCount; ++i)
    set(reg::kName + i, std::uint16_t((std::uint8_t(name[2 * i]) << 8) | std::uint8_t(name[2 * i + 1])));
  set(reg::kVersion, kVersionWord);
  set(reg::kFactoryNumber, std::uint16_t(1000 + (m_address * 101 + m_rng.range(0, 98)) % 9000));
  set(reg::kIdentityReserved, 0);
  set(reg::kLanguage, 1);

  // Live: breaker closed (input 1), input 3 on; the last trip latched.
  set(reg::kInputs, 0x0005);
  set(reg::kStageFlags, 1);
  set(reg::kReclosingFlag, 1);
  set(reg::kLastMtzTrip, 4521);
  set(reg::kLastZnzTrip, 870);

  // Setup.
  set(reg::kAddress, std::uint16_t(m_address));
  set(reg::kInterface, 0x0004);  // 9600 bit/s
  set(reg::kPassword, 0x4141);   // "AAAA"
  set(reg::kPasswordLow, 0x4141);
  set(reg::kActiveGroup, 0);
  set(reg::kGroupMode, 0);
  set(reg::kCtPrimary, 600);
  set(reg::kCtSecondary, 5);
  set(reg::kEarthCtPrimary, 50);
  set(reg::kEarthCtSecondary, 1);

  // Indicators 1..8: a low word and six high bits each.
  const std::uint16_t indicatorLow[reg::kIndicatorCount] = {0x0001, 0x0002, 0x0004, 0x0008,
                                                            0x0010, 0x0000, 0x0000, 0x8000};
  const std::uint16_t indicatorHigh[reg::kIndicatorCount] = {0, 0, 0, 0, 0, 0x0001, 0x0002, 0};
  for (int i = 0; i < reg::kIndicatorCount; ++i) {
    set(reg::kIndicators + 2 * i, indicatorLow[i]);
    set(reg::kIndicators + 2 * i + 1, indicatorHigh[i]);
  }
  // Output relays 1..5: a low word and two high bits each.
  const std::uint16_t relayLow[reg::kRelayCount] = {0x0007, 0x0008, 0x0030, 0x0100, 0x0000};
  const std::uint16_t relayHigh[reg::kRelayCount] = {0, 0, 0x0001, 0, 0x0002};
  for (int i = 0; i < reg::kRelayCount; ++i) {
    set(reg::kRelayConfig + 2 * i, relayLow[i]);
    set(reg::kRelayConfig + 2 * i + 1, relayHigh[i]);
  }
  // Contact times in 10 ms: relay 1, УРОВ, relays 2..5.
  const std::uint16_t contact[reg::kContactTimeCount] = {50, 30, 100, 50, 50, 20};
  for (int i = 0; i < reg::kContactTimeCount; ++i) set(reg::kContactTimes + i, contact[i]);
  // Inputs 1..6 (15-bit functions) and their delays in 10 ms.
  const std::uint16_t inputs[reg::kInputCount] = {0x0001, 0x0002, 0x0010, 0x0000, 0x0100, 0x4000};
  const std::uint16_t delays[reg::kInputCount] = {2, 2, 5, 5, 10, 10};
  for (int i = 0; i < reg::kInputCount; ++i) {
    set(reg::kInputConfig + i, inputs[i]);
    set(reg::kInputDelays + i, delays[i]);
  }
  set(reg::kRecorderPreTrigger, 15);  // 1.50 s
  set(reg::kRecorderSource, 0);       // started by a trip

  // The transitions of input 2 (a chattering contact) stand at the counter's
  // top, 65535.
  const std::uint16_t stats[reg::kStatistics.count] = {12, 7, 21, 5, 3, 4, 9, 2, 34, 65535, 2,
                                                       0, 6, 0, 6, 1, 16, 9, 3, 0, 1, 23871};
  for (int i = 0; i < reg::kStatistics.count; ++i) set(reg::kStatistics.first + i, stats[i]);

  // Recorder channels 1..16: one function each, in a low and a high word.
  // Functions 0..10 are the bits 0..10 of the high word, functions 11..26
  // the bits of the low word.
  for (int n = 1; n <= reg::kChannelCount; ++n) {
    std::uint32_t v = n <= 11 ? (1u << (n - 1 + 16)) : (1u << (n - 12));
    set(reg::kChannels.first + 2 * (n - 1), std::uint16_t(v & 0xFFFF));
    set(reg::kChannels.first + 2 * (n - 1) + 1, std::uint16_t(v >> 16));
  }

  for (int g = 1; g <= 2; ++g) {
    const auto s = groupSettings(g);
    const int base = reg::groupBase(g);
    for (int k = 0; k < reg::kGroupSize; ++k) set(base + k, s[std::size_t(k)]);
  }
}

void Device::fillHistory() {
  // One record of every kind the configurator tells apart: each event code
  // of its table with each form of its argument, fault texts with each
  // phase mark, a phase fault beyond the range, a record at midnight, a
  // code without an event (0), stamps that memory faults have spoilt (a
  // byte that is not BCD, 31 February) and, as the slot the next event
  // takes, one erased slot.
  struct Step {
    int afterMs;  // -1: at the next midnight
    std::uint8_t code, sub;
    std::uint16_t value;
    std::uint8_t outputs, inputs;
    int alarm;          // alarm entry this record starts, or -1
    const char* stamp;  // six stamp bytes in hex as the memory holds them, or nullptr
  };
  // Inputs: 0x05 breaker closed (input 1) and input 3; 0x06 breaker open.
  static constexpr int kHour = 3600 * 1000, kDay = 24 * kHour, kMidnight = -1;
  const Step steps[] = {
      {0, 1, 0, 0, 0x00, 0x05, -1, nullptr},            // power-up
      {95000, 32, 0, 0, 0x00, 0x05, -1, nullptr},       // settings changed
      {kHour, 3, 1, 0, 0x00, 0x05, -1, nullptr},        // group 2
      {120000, 4, 1, 0, 0x00, 0x05, -1, nullptr},       // statistics reset over the line
      {kDay, 4, 0, 0, 0x00, 0x05, -1, nullptr},         // statistics reset at the device
      {2 * kHour, 48, 0, 0, 0x00, 0x15, -1, nullptr},   // input 5 on
      {30000, 3, 0, 0, 0x00, 0x15, -1, nullptr},        // group 1
      {3 * kDay, 17, 5, 1234, 0x00, 0x05, 0, nullptr},  // МТЗ-2 picks up, phases A and C
      {500, 20, 5, 1234, 0x01, 0x05, -1, nullptr},      // and trips
      {60, 49, 0, 0, 0x01, 0x06, -1, nullptr},          // breaker opens
      {1500, 7, 0, 0, 0x00, 0x05, -1, nullptr},         // reclosing succeeds
      {600000, 5, 0, 0, 0x00, 0x05, -1, nullptr},       // acknowledged at the device
      {5 * kDay, 22, 0, 850, 0x00, 0x05, 1, nullptr},   // earth fault picks up
      {1000, 23, 0, 870, 0x02, 0x05, -1, nullptr},      // and trips
      {900000, 5, 1, 0, 0x00, 0x05, -1, nullptr},       // acknowledged over RS485
      {3000000, 6, 2, 0, 0x02, 0x05, -1, nullptr},      // remote command, relay 2
      {2 * kDay, 19, 7, 20000, 0x01, 0x05, 3, nullptr}, // three-phase fault beyond range: МТЗ-1 trips
      {300, 24, 0, 0, 0x05, 0x05, -1, nullptr},         // breaker failure
      {1500, 8, 0, 0, 0x05, 0x06, -1, nullptr},         // reclosing fails
      {1200000, 5, 2, 0, 0x00, 0x06, -1, nullptr},      // acknowledged by an input
      {kHour, 2, 0, 0, 0x00, 0x06, -1, nullptr},        // power-up after a restart
      {60000, 12, 0, 0, 0x00, 0x06, -1, nullptr},       // a reserved code
      {kDay, 18, 2, 640, 0x00, 0x05, 4, nullptr},       // МТЗ-3 picks up on B
      {1500, 21, 2, 655, 0x01, 0x05, -1, nullptr},      // and trips
      {2 * kHour, 5, 3, 0, 0x00, 0x06, -1, nullptr},    // acknowledged over RS232
      {10000, 5, 4, 0, 0x00, 0x06, -1, nullptr},        // acknowledged, a way not named
      {kDay, 27, 0, 0, 0x00, 0x06, -1, nullptr},        // codes without a name
      {kHour, 40, 0, 0, 0x00, 0x06, -1, nullptr},
      {kMidnight, 16, 0, 120, 0x00, 0x05, -1, nullptr}, // МТЗ-1 without a phase mark, at midnight
      {kHour, 4, 2, 0, 0x00, 0x05, -1, nullptr},        // statistics reset, a way not named
      {kHour, 0, 0, 0, 0x00, 0x05, -1, nullptr},        // no event
      {kHour, 6, 3, 0, 0x04, 0x05, -1, "240331125a00"}, // the minute is no BCD byte
      {kHour, 49, 0, 0, 0x00, 0x05, -1, "240231091500"},// 31 February
  };
  static_assert(std::size(steps) == reg::kEventRecords - 1);
  QDateTime t(QDate(2024, 3, 12), QTime(8, 14, 5, 370));
  for (const Step& s : steps) {
    if (s.afterMs == kMidnight) t = QDateTime(t.date().addDays(1), QTime(0, 0, 0, 250));
    else t = t.addMSecs(s.afterMs);
    EventRecord r;
    r.erased = false;
    r.when = QDateTime(t.date(), QTime(t.time().hour(), t.time().minute(), t.time().second()));
    r.hundredths = t.time().msec() / 10;
    r.code = s.code;
    r.sub = s.sub;
    r.value = s.value;
    r.outputs = s.outputs;
    r.inputs = s.inputs;
    if (s.stamp) r.rawStamp = QByteArray::fromHex(s.stamp);
    m_journal.append(r);
    if (s.alarm < 0) continue;
    FaultScenario f;
    const bool earth = s.code == 22;
    f.kind = earth ? FaultScenario::Kind::Earth : FaultScenario::Kind::Phase;
    f.phases = s.sub;
    // Pickups of МТЗ-1..3 are codes 16..18, their trips 19..21.
    f.stage = earth ? 1 : (s.code - 16) % 3 + 1;
    f.current = s.value;
    f.tripDelayMs = s.alarm == 0 ? 500 : s.alarm == 1 ? 1000 : s.alarm == 4 ? 1500 : 50;
    f.reclose = s.alarm == 0;
    m_recorder.setEntry(s.alarm, r.when, f);
  }
  // A recording started remotely at the midnight after the last fault, and
  // an entry the memory holds as zeros: digits, but no date.
  m_recorder.setEntry(5, QDateTime(t.date().addDays(1), QTime(0, 0, 0)), FaultScenario{});
  m_recorder.setRawEntry(6, QByteArray(10, char(0)));
}

}  // namespace vmk::sim
