#pragma once
// One refresh of the live values as typed data: the live block (registers
// 16..37) read once and decoded into the inputs, the operate flags and the
// currents, secondary (as the device measures them) and primary (scaled by
// the current-transformer ratios read at connection).
//
//   const Result<LiveSnapshot> live = readLiveValues(session);
//   if (!live) return live.outcome;            // NoAnswer, BadReply
//   live.value.currents(primary).ia.amperes();

#include <array>
#include <cstdint>
#include <optional>

#include "device/device_client.h"
#include "device/tvmk.h"

namespace vmk {

class Session;

// A current as the device counts it: `units` of 10^-scale ampere. Phase
// currents come in hundredths (scale 2), earth currents in milliamperes
// (scale 3); keeping the count whole keeps the display's rounding exact.
struct Current {
  std::int64_t units = 0;
  int scale = 2;

  double amperes() const;
  bool operator==(const Current&) const = default;
};

// The six currents of page 1, all of one kind (secondary or primary).
struct LiveCurrents {
  Current ia, ib, ic;         // phase currents
  Current io{0, 3};           // residual current
  Current lastMtz;            // current of the last МТЗ trip
  Current lastZnz{0, 3};      // current of the last ЗНЗ trip
  bool operator==(const LiveCurrents&) const = default;
};

// Current-transformer ratios, primary / secondary cut to a whole number.
struct CurrentRatios {
  int phase = 1;
  int earth = 1;
  bool operator==(const CurrentRatios&) const = default;
};

// Both ratios, or nothing when a transformer secondary is 0.
std::optional<CurrentRatios> ratiosOf(const SetupFields& setup);

// What one refresh found.
struct LiveSnapshot {
  static constexpr int kInputCount = 6;
  static constexpr int kStageCount = 4;

  std::uint16_t inputWord = 0;               // register 16, bit i-1 = input i
  std::array<bool, kInputCount> inputs{};    // discrete inputs 1..6
  std::array<bool, kStageCount> stages{};    // МТЗ 1..3 and ЗНЗ operated
  bool reclosing = false;                    // АПВ operated

  LiveCurrents secondary;
  // The transformer ratios; nothing when a secondary is 0, and then every
  // primary current is 0 (the page shows zeros with an error).
  std::optional<CurrentRatios> ratios;
  LiveCurrents primary;

  // Primary or secondary values, as the page chooses.
  const LiveCurrents& currents(bool primaryValues) const {
    return primaryValues ? primary : secondary;
  }
};

// Decodes the words of the live block; the ratios come from `setup`.
LiveSnapshot decodeLive(const RegisterWords& live, const SetupFields& setup);

// One read of the live block at the session's DeviceAddress inside the
// port bracket, decoded with the session's setup fields. Anything but a
// whole live block is a failed exchange: NoAnswer for silence or a reply
// cut short, BadReply for any other answer (an exception reply included),
// so that no part of a reply shows as measured currents. A port failure
// stays a TransportError; the port is closed on every way out.
Result<LiveSnapshot> readLiveValues(Session& session);

}  // namespace vmk
