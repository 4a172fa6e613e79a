#include "monitor/live_values.h"

#include "device/codecs.h"
#include "device/session.h"
#include "extlib/registers.h"

namespace vmk {

double Current::amperes() const {
  double unit = 1.0;
  for (int k = 0; k < scale; ++k) unit *= 10.0;
  return double(units) / unit;
}

std::optional<CurrentRatios> ratiosOf(const SetupFields& setup) {
  const std::optional<int> phase = PhaseRatio(setup);
  const std::optional<int> earth = EarthRatio(setup);
  if (!phase || !earth) return std::nullopt;
  return CurrentRatios{*phase, *earth};
}

namespace {

// Phase registers count hundredths of an ampere, earth registers mA.
LiveCurrents scaled(const RegisterWords& w, std::int64_t phase, std::int64_t earth) {
  LiveCurrents c;
  c.ia = {w.at(reg::kIa) * phase, 2};
  c.ib = {w.at(reg::kIb) * phase, 2};
  c.ic = {w.at(reg::kIc) * phase, 2};
  c.io = {w.at(reg::kIo) * earth, 3};
  c.lastMtz = {w.at(reg::kLastMtzTrip) * phase, 2};
  c.lastZnz = {w.at(reg::kLastZnzTrip) * earth, 3};
  return c;
}

}  // namespace

LiveSnapshot decodeLive(const RegisterWords& live, const SetupFields& setup) {
  LiveSnapshot s;
  s.inputWord = live.at(reg::kInputs);
  for (int i = 0; i < LiveSnapshot::kInputCount; ++i) s.inputs[i] = GetBit(s.inputWord, i) == 1;
  for (int i = 0; i < LiveSnapshot::kStageCount; ++i)
    s.stages[i] = DecodeStageFlag(live.at(reg::kStageFlags + i)) == 1;
  s.reclosing = DecodeApvFlag(live.at(reg::kReclosingFlag)) == 1;
  s.secondary = scaled(live, 1, 1);
  s.ratios = ratiosOf(setup);
  s.primary = s.ratios ? scaled(live, s.ratios->phase, s.ratios->earth) : scaled(live, 0, 0);
  return s;
}

Result<LiveSnapshot> readLiveValues(Session& session) {
  PortBracket port(session);
  DeviceClient device(session);
  const Result<RegisterWords> words = device.readRegisters(reg::kLive);
  if (!words) {
    const bool silent = words.outcome == Outcome::NoAnswer || words.outcome == Outcome::PortFailure;
    return Result<LiveSnapshot>::failed(silent ? words.outcome : Outcome::BadReply);
  }
  return Result<LiveSnapshot>::done(decodeLive(words.value, session.vmk.setup));
}

}  // namespace vmk
