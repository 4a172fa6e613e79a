#pragma once
// The measuring channels of a device and their calibration. Eight points:
// phases A, B, C and Io in the lower range (1..4) and the upper range
// (5..8). Each point has a hardware gain error and a coefficient (1..254);
// a channel measures  true value x gain x coefficient / nominal, where the
// nominal coefficient is 205 (100 on a variant-3 device, which has phases A
// and C only). So a coefficient written by the calibration changes every
// later measurement of its point.

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>

#include "sim/rng.h"

namespace vmk::sim {

class Calibration {
 public:
  static constexpr int kPoints = 8;
  static constexpr int kDefaultInjection = 500;

  Calibration(int variant, Rng& rng);

  int nominal() const { return m_variant == 3 ? 100 : 205; }
  // Points a variant-3 device has: 1, 3, 5, 7.
  bool hasPoint(int point) const;

  // Calibration mode, entered and left by the service request.
  bool calibrationMode() const { return m_calibration; }
  void setCalibrationMode(bool on);
  // Adjustment mode, entered by a 0x19 request in calibration mode.
  bool adjustmentMode() const { return m_adjust; }

  int coefficient(int point) const { return m_coefficient[std::size_t(point - 1)]; }
  void setCoefficient(int point, int value) { m_coefficient[std::size_t(point - 1)] = value; }
  double gain(int point) const { return m_gain[std::size_t(point - 1)]; }
  void setGain(int point, double gain) { m_gain[std::size_t(point - 1)] = gain; }
  // The test current the calibration rig injects into a point (device units).
  int injection(int point) const { return m_injection[std::size_t(point - 1)]; }
  void setInjection(int point, int value) { m_injection[std::size_t(point - 1)] = value; }
  int stores() const { return m_stores; }

  // What the point's channel shows for a true value.
  int measure(int point, double trueValue) const;
  // What the point shows for the rig's test current.
  int measureInjection(int point) const { return measure(point, injection(point)); }
  // The upper-range point of a variant-3 device takes over after a write
  // of slot 1 or 17 until a write of slot 0 or 16.
  bool upperRange() const { return m_upper; }
  // The rig's test current lies in the upper range (or the lower one): a
  // variant-3 device, which is read through its live registers, then shows
  // that range's points.
  void setUpperRange(bool upper) { m_upper = upper; }

  // Frame bytes 2..17 of the reply to a 0x19 request (`args` = the request's
  // frame bytes 2..7: sub-function and a1..a5).
  QByteArray handle(const QByteArray& args);

 private:
  int m_variant;
  bool m_calibration = false;
  bool m_adjust = false;
  bool m_upper = false;
  int m_stores = 0;
  std::array<int, kPoints> m_coefficient{};
  std::array<double, kPoints> m_gain{};
  std::array<int, kPoints> m_injection{};
  std::array<std::optional<int>, kPoints> m_lastRead{};
};

}  // namespace vmk::sim
