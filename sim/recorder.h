#pragma once
// The fault recorder: an alarm list of 15 entries and, for each valid
// entry, an oscillogram of 6000 samples at 1600 Hz (Ia, Ib, Ic, Io and 16
// digital channels) with the trigger at sample 800 (0.5 s after the first, as the
// configuration file the configurator writes says). Oscillograms are made
// from the entry's fault description on first use, so a device costs
// nothing until one is read.

#include <QByteArray>
#include <QDateTime>
#include <array>
#include <cstdint>
#include <vector>

#include "extlib/registers.h"

namespace vmk::sim {

// What the recorder saw. Phase currents are in 0.01 A, earth currents in
// mA (both secondary, RMS).
struct FaultScenario {
  enum class Kind { None, Phase, Earth };
  Kind kind = Kind::None;
  std::uint8_t phases = 0;  // bit 0 A, bit 1 B, bit 2 C
  int stage = 1;            // МТЗ stage 1..3 for a phase fault
  int current = 0;
  int tripDelayMs = 300;
  bool reclose = false;
  int loadCurrent = 250;    // 0.01 A before the fault
};

struct OscSample {
  std::int16_t ia = 0, ib = 0, ic = 0, io = 0;
  std::uint16_t digital = 0;  // bit k = channel k + 1
};

// Digital channels of the simulated recorder (bit numbers).
namespace channel {
constexpr int kMtz1Pickup = 0, kMtz2Pickup = 1, kMtz3Pickup = 2, kZnzPickup = 3;
constexpr int kMtzTrip = 4, kZnzTrip = 5, kRelay1 = 6, kRelay2 = 7;
constexpr int kBreakerClosed = 8, kBreakerOpen = 9, kReclose = 10, kBreakerFailure = 11;
constexpr int kInput3 = 12;
}  // namespace channel

class Recorder {
 public:
  static constexpr int kEntries = reg::kAlarmEntries;
  static constexpr int kBlocks = reg::kOscBlocks;
  static constexpr int kSamplesPerBlock = 24;
  static constexpr int kSamples = kBlocks * kSamplesPerBlock;  // 6000
  static_assert(kSamples == reg::kOscSamples);
  static constexpr int kTrigger = 800;
  static constexpr int kRate = 1600;

  explicit Recorder(std::uint64_t seed = 1) : m_seed(seed) {}

  bool isValid(int entry) const;
  QDateTime when(int entry) const;
  const FaultScenario& scenario(int entry) const { return m_entries[std::size_t(entry)].fault; }

  // Stores a record in the first erased entry, or over the oldest when none
  // is erased; returns the entry number.
  int record(const QDateTime& when, const FaultScenario& fault);
  void setEntry(int entry, const QDateTime& when, const FaultScenario& fault);
  // An entry whose ten list bytes are `bytes` as they are (a stamp the
  // memory has spoilt, such as all zero); it has no oscillogram and counts
  // as free.
  void setRawEntry(int entry, const QByteArray& bytes);
  void eraseEntry(int entry);
  void erase();

  // Frame bytes 5..154 of the alarm-list reply: per entry the BCD time
  // stamp, the trigger sample (high, low) and two reserved bytes; an erased
  // entry is 0xFF throughout.
  QByteArray listPayload() const;
  // Frame bytes 3..244 of a block reply: the block number, then 24 samples
  // of five words. Empty for an erased entry or a block out of range.
  QByteArray blockPayload(int entry, int block);

  // The whole oscillogram of a valid entry (empty for an erased one).
  const std::vector<OscSample>& samples(int entry);
  // Sample numbers of the single-sample glitches put into channels 1..12.
  std::vector<int> glitches(int entry);

 private:
  struct Entry {
    bool valid = false;
    QDateTime when;
    FaultScenario fault;
    std::uint64_t seed = 0;
    std::vector<OscSample> samples;  // made on first use
    std::vector<int> glitches;
    QByteArray raw;  // list bytes of an entry without a record
  };
  void synthesize(Entry& e);

  std::uint64_t m_seed;
  std::uint64_t m_serial = 0;
  std::array<Entry, kEntries> m_entries{};
};

}  // namespace vmk::sim
