#include "journals/osc_samples.h"

#include <algorithm>

#include "device/device_client.h"

namespace vmk::osc {

namespace {
constexpr int kWordsPerSample = 5;
}

void putBlock(SampleTable& table, int block, const RegisterWords& words) {
  for (int i = 0; i < kSamplesPerBlock; ++i) {
    const std::size_t s = std::size_t(block * kSamplesPerBlock + i);
    if (s >= table.size()) return;
    Sample& out = table[s];
    const int w = kWordsPerSample * i + 1;
    for (int c = 0; c < kAnalogChannels; ++c) out.analog[std::size_t(c)] = words.at(w + c);
    out.digital = words.at(w + kAnalogChannels);
  }
}

void GlitchFilter(SampleTable& table) {
  const std::size_t n = table.size();
  for (std::size_t s = 1; s + 1 < n; ++s) {
    for (int bit = 0; bit < kFilteredChannels; ++bit) {
      const std::uint16_t mask = std::uint16_t(1u << bit);
      const bool prev = table[s - 1].digital & mask;
      const bool here = table[s].digital & mask;
      const bool next = table[s + 1].digital & mask;
      if (here != prev && here != next) {
        if (next)
          table[s].digital = std::uint16_t(table[s].digital | mask);
        else
          table[s].digital = std::uint16_t(table[s].digital & ~mask);
      }
    }
  }
}

namespace {

// The fields of FormatSample32 and FormatSample16 made straight into
// bytes (the data file has 132 000 of them); the tests hold them to the
// codecs.
void appendDigits(QByteArray& out, std::uint32_t magnitude, int zeros) {
  char digits[10];
  int n = 0;
  do {
    digits[n++] = char('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  out.append(std::max(0, zeros - n), '0');
  while (n) out.append(digits[--n]);
}

void appendSample32(QByteArray& out, std::uint32_t value, int width) {
  if (value == 0) {
    out.append('-');
    out.append(width - 1, '0');
    return;
  }
  appendDigits(out, value, width);
}

void appendSample16(QByteArray& out, std::uint16_t sample, int width) {
  int v = sample <= 0x8000 ? int(sample) : int(sample) - 65536;
  v += v / 2;
  if (v > 0) {
    appendDigits(out, std::uint32_t(v), width);
    return;
  }
  // A minus sign takes the place of one leading zero.
  out.append('-');
  const std::uint32_t m = std::uint32_t(-v);
  int length = 0;
  for (std::uint32_t k = m; k || length == 0; k /= 10) ++length;
  out.append(std::max(0, width - length - 1), '0');
  appendDigits(out, m, 0);
}

void appendLine(QByteArray& out, int s, const Sample& sample) {
  appendSample32(out, std::uint32_t(s + 1), 8);
  out.append(',');
  appendSample32(out, std::uint32_t(s) * kSampleMicroseconds, 10);
  for (std::uint16_t a : sample.analog) {
    out.append(',');
    appendSample16(out, a, 8);
  }
  for (int n = 1; n <= kDigitalChannels; ++n) out.append(sample.channel(n) ? ",1" : ",0");
}

}  // namespace

QByteArray dataLine(int s, const Sample& sample) {
  QByteArray line;
  appendLine(line, s, sample);
  return line;
}

QByteArray dataFile(const SampleTable& table) {
  QByteArray out;
  out.reserve(int(table.size()) * 96);
  for (std::size_t s = 0; s < table.size(); ++s) {
    appendLine(out, int(s), table[s]);
    out += "\r\n";
  }
  return out;
}

}  // namespace vmk::osc
