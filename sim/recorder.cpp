#include "sim/recorder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/bcd.h"
#include "sim/rng.h"

namespace vmk::sim {

namespace {

constexpr double kOmega = 2.0 * std::numbers::pi * 50.0 / Recorder::kRate;  // per sample
constexpr int kBreakerSamples = 96;     // 60 ms for the breaker to clear the fault
constexpr int kRecloseSamples = 800;    // 0.5 s dead time before reclosing
constexpr int kRelayHoldSamples = 800;  // 500 ms trip contact

std::int16_t clip(double v) {
  return std::int16_t(std::clamp(std::lround(v), -32000L, 32000L));
}

void setBit(std::uint16_t& word, int bit, bool on) {
  if (on)
    word = std::uint16_t(word | (1u << bit));
  else
    word = std::uint16_t(word & ~(1u << bit));
}

}  // namespace

bool Recorder::isValid(int entry) const {
  return entry >= 0 && entry < kEntries && m_entries[std::size_t(entry)].valid;
}

QDateTime Recorder::when(int entry) const {
  return isValid(entry) ? m_entries[std::size_t(entry)].when : QDateTime();
}

int Recorder::record(const QDateTime& when, const FaultScenario& fault) {
  int slot = -1;
  for (int i = 0; i < kEntries && slot < 0; ++i)
    if (!m_entries[std::size_t(i)].valid) slot = i;
  if (slot < 0) {
    slot = 0;
    for (int i = 1; i < kEntries; ++i)
      if (m_entries[std::size_t(i)].when < m_entries[std::size_t(slot)].when) slot = i;
  }
  setEntry(slot, when, fault);
  return slot;
}

void Recorder::setEntry(int entry, const QDateTime& when, const FaultScenario& fault) {
  Entry& e = m_entries[std::size_t(entry)];
  e = Entry{};
  e.valid = true;
  e.when = when;
  e.fault = fault;
  e.seed = m_seed * 1000003u + std::uint64_t(entry) * 7919u + (++m_serial);
}

void Recorder::setRawEntry(int entry, const QByteArray& bytes) {
  Entry& e = m_entries[std::size_t(entry)];
  e = Entry{};
  e.raw = bytes.left(10).leftJustified(10, char(0xFF));
}

void Recorder::eraseEntry(int entry) { m_entries[std::size_t(entry)] = Entry{}; }

void Recorder::erase() {
  for (Entry& e : m_entries) e = Entry{};
}

QByteArray Recorder::listPayload() const {
  QByteArray out;
  for (const Entry& e : m_entries) {
    if (!e.valid) {
      out.append(e.raw.isEmpty() ? QByteArray(10, char(0xFF)) : e.raw);
      continue;
    }
    out.append(bcdStamp(e.when));
    out.append(char(kTrigger >> 8));
    out.append(char(kTrigger & 0xFF));
    out.append(2, char(0));
  }
  return out;
}

const std::vector<OscSample>& Recorder::samples(int entry) {
  static const std::vector<OscSample> none;
  if (!isValid(entry)) return none;
  Entry& e = m_entries[std::size_t(entry)];
  if (e.samples.empty()) synthesize(e);
  return e.samples;
}

std::vector<int> Recorder::glitches(int entry) {
  if (!isValid(entry)) return {};
  samples(entry);
  return m_entries[std::size_t(entry)].glitches;
}

QByteArray Recorder::blockPayload(int entry, int block) {
  if (!isValid(entry) || block < 0 || block >= kBlocks) return {};
  const std::vector<OscSample>& all = samples(entry);
  QByteArray out;
  out.reserve(2 + kSamplesPerBlock * 10);
  auto word = [&out](std::uint16_t w) {
    out.append(char(w >> 8));
    out.append(char(w & 0xFF));
  };
  word(std::uint16_t(block));
  for (int i = 0; i < kSamplesPerBlock; ++i) {
    const OscSample& s = all[std::size_t(block * kSamplesPerBlock + i)];
    word(std::uint16_t(s.ia));
    word(std::uint16_t(s.ib));
    word(std::uint16_t(s.ic));
    word(std::uint16_t(s.io));
    word(s.digital);
  }
  return out;
}

void Recorder::synthesize(Entry& e) {
  Rng rng(e.seed);
  const FaultScenario& f = e.fault;
  const bool faulted = f.kind != FaultScenario::Kind::None;
  const int trip = kTrigger + f.tripDelayMs * kRate / 1000;
  const int clear = faulted ? std::min(trip + kBreakerSamples, kSamples) : kSamples;
  const int reclose = faulted && f.reclose ? clear + kRecloseSamples : kSamples + 1;

  const double phase[3] = {0.0, -2.0 * std::numbers::pi / 3, 2.0 * std::numbers::pi / 3};
  double load[3];
  for (double& l : load) l = f.loadCurrent * std::numbers::sqrt2 * (1.0 + (rng.unit() - 0.5) * 0.02);
  const double faultAmp = f.current * std::numbers::sqrt2;
  const double lag = 1.2;  // a fault current lags its voltage by about 70 degrees
  const double tau = 64.0;  // DC offset decays in 40 ms

  e.samples.assign(kSamples, OscSample{});
  for (int s = 0; s < kSamples; ++s) {
    OscSample& out = e.samples[std::size_t(s)];
    const bool inFault = faulted && s >= kTrigger && s < clear;
    const bool open = faulted && s >= clear && s < reclose;
    double i[3];
    for (int p = 0; p < 3; ++p) {
      if (open) {
        i[p] = 0;
      } else if (inFault && f.kind == FaultScenario::Kind::Phase && (f.phases >> p & 1)) {
        const double a = phase[p] - lag;
        const double t = s - kTrigger;
        i[p] = faultAmp * (std::sin(kOmega * s + a) - std::sin(kOmega * kTrigger + a) * std::exp(-t / tau));
      } else {
        i[p] = load[p] * std::sin(kOmega * s + phase[p]);
      }
      i[p] += rng.range(-2, 2);
    }
    // Io in mA: the residual of the phase currents (0.01 A) plus the earth fault.
    double io = (i[0] + i[1] + i[2]) * 10.0 + rng.range(-4, 4);
    if (inFault && f.kind == FaultScenario::Kind::Earth) io += faultAmp * std::sin(kOmega * s - 1.5);
    out.ia = clip(i[0]);
    out.ib = clip(i[1]);
    out.ic = clip(i[2]);
    out.io = clip(io);

    std::uint16_t d = 0;
    setBit(d, channel::kInput3, true);
    const bool closed = !open;
    setBit(d, channel::kBreakerClosed, closed);
    setBit(d, channel::kBreakerOpen, !closed);
    if (faulted) {
      const int pickup = f.kind == FaultScenario::Kind::Earth ? channel::kZnzPickup
                                                                : channel::kMtz1Pickup + std::clamp(f.stage, 1, 3) - 1;
      const int tripChannel = f.kind == FaultScenario::Kind::Earth ? channel::kZnzTrip : channel::kMtzTrip;
      setBit(d, pickup, s >= kTrigger + 2 && s < clear + 2);
      setBit(d, tripChannel, s >= trip && s < clear + 16);
      setBit(d, channel::kRelay1, s >= trip + 3 && s < trip + 3 + kRelayHoldSamples);
      setBit(d, channel::kRelay2, s >= trip + 3);
      setBit(d, channel::kReclose, s >= reclose - 16 && s < reclose + 160);
    }
    out.digital = d;
  }

  // A few one-sample glitches on channels 1..12, where the channel is steady
  // on both sides, as contact bounce leaves them.
  e.glitches.clear();
  for (int tries = 0; tries < 50 && e.glitches.size() < 3; ++tries) {
    const int s = rng.range(20, kSamples - 21);
    const int bit = rng.range(0, 11);
    auto value = [&](int k) { return (e.samples[std::size_t(k)].digital >> bit) & 1; };
    if (value(s - 1) != value(s) || value(s + 1) != value(s)) continue;
    bool near = false;
    for (int g : e.glitches) near = near || std::abs(g - s) < 3;
    if (near) continue;
    e.samples[std::size_t(s)].digital ^= std::uint16_t(1u << bit);
    e.glitches.push_back(s);
  }
  std::sort(e.glitches.begin(), e.glitches.end());
}

}  // namespace vmk::sim
