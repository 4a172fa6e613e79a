#pragma once
// The sample table of one oscillogram: 6000 samples at 1600 Hz of the three
// phase currents, the residual current and 16 digital channels, filled block
// by block from the device, cleaned of one-sample glitches, then written as
// the data file in one pass.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace vmk {

struct RegisterWords;

namespace osc {

constexpr int kSamples = 6000;
constexpr int kSamplesPerBlock = 24;
constexpr int kBlocks = kSamples / kSamplesPerBlock;  // 250
constexpr int kRate = 1600;                           // samples a second
constexpr int kSampleMicroseconds = 625;
constexpr int kAnalogChannels = 4;
constexpr int kDigitalChannels = 16;
// Channels 1..12 carry contacts and flags that bounce; 13..16 are kept
// as recorded.
constexpr int kFilteredChannels = 12;

struct Sample {
  // Ia, Ib, Ic, Io as the device sends them (the sign rule of the data
  // file's fields applies).
  std::array<std::uint16_t, kAnalogChannels> analog{};
  std::uint16_t digital = 0;  // bit k = digital channel k + 1

  int channel(int n) const { return (digital >> (n - 1)) & 1; }  // n = 1..16
};

using SampleTable = std::vector<Sample>;

// Puts the 24 samples of block `block` (words 1..120 of its reply, five a
// sample) into rows 24 * block .. 24 * block + 23 of `table` (6000 rows).
void putBlock(SampleTable& table, int block, const RegisterWords& words);

// For samples 1..5998 in order and channels 1..12: a value that differs
// from the previous sample's value (as already filtered) and from the next
// sample's is replaced by the next one's.
void GlitchFilter(SampleTable& table);

// The data file line of sample s (0-based), 22 fields, without its CR LF:
// number, time offset in microseconds, Ia, Ib, Ic, Io (each × 1.5), the
// 16 digital channels.
QByteArray dataLine(int s, const Sample& sample);

// All 6000 lines, each ended by CR LF.
QByteArray dataFile(const SampleTable& table);

}  // namespace osc
}  // namespace vmk
