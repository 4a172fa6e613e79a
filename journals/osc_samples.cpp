#include "journals/osc_samples.h"

#include "device/codecs.h"
#include "device/device_client.h"

namespace vmk::osc {

namespace {
constexpr int kWordsPerSample = 5;
}

void PutBlock(SampleTable& table, int block, const RegisterWords& words) {
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

QByteArray DataLine(int s, const Sample& sample) {
  QString line = FormatSample32(std::uint32_t(s + 1), 8) + QLatin1Char(',') +
                 FormatSample32(std::uint32_t(s) * kSampleMicroseconds, 10);
  for (std::uint16_t a : sample.analog) line += QLatin1Char(',') + FormatSample16(a, 8);
  for (int n = 1; n <= kDigitalChannels; ++n)
    line += sample.channel(n) ? QLatin1String(",1") : QLatin1String(",0");
  return line.toLatin1();
}

QByteArray DataFile(const SampleTable& table) {
  QByteArray out;
  out.reserve(int(table.size()) * 92);
  for (std::size_t s = 0; s < table.size(); ++s) {
    out += DataLine(int(s), table[s]);
    out += "\r\n";
  }
  return out;
}

}  // namespace vmk::osc
