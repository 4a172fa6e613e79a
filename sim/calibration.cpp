#include "sim/calibration.h"

#include <cmath>

namespace vmk::sim {

namespace {
constexpr std::uint8_t kDone = 119;  // 'w'
}

Calibration::Calibration(int variant, Rng& rng) : m_variant(variant) {
  for (int p = 1; p <= kPoints; ++p) {
    m_coefficient[std::size_t(p - 1)] = nominal();
    // Gain errors of a few percent, so that an uncalibrated channel is
    // visibly off and one write of the computed coefficient brings it in.
    m_gain[std::size_t(p - 1)] = 1.0 + (rng.range(-35, 35)) / 1000.0;
    m_injection[std::size_t(p - 1)] = kDefaultInjection;
  }
}

bool Calibration::hasPoint(int point) const {
  if (point < 1 || point > kPoints) return false;
  return m_variant != 3 || point % 2 == 1;
}

void Calibration::setCalibrationMode(bool on) {
  m_calibration = on;
  if (!on) {
    m_adjust = false;
    m_lastRead.fill(std::nullopt);
  }
}

int Calibration::measure(int point, double trueValue) const {
  if (!hasPoint(point)) return int(std::lround(trueValue));
  const double v = trueValue * gain(point) * coefficient(point) / nominal();
  return int(std::lround(std::clamp(v, 0.0, 65535.0)));
}

QByteArray Calibration::handle(const QByteArray& args) {
  const std::uint8_t sub = std::uint8_t(args[0]);
  const std::uint8_t a[5] = {std::uint8_t(args[1]), std::uint8_t(args[2]), std::uint8_t(args[3]),
                             std::uint8_t(args[4]), std::uint8_t(args[5])};
  // Frame bytes 2..17: sub, 0x0E, then frame bytes 4..17.
  QByteArray out(16, char(0));
  out[0] = char(sub);
  out[1] = char(0x0E);
  for (int i = 0; i < 5; ++i) out[3 + i] = char(a[i]);
  auto done = [&out](bool ok) { out[12] = char(ok ? kDone : 0); };
  const int point = a[2];

  if (!m_calibration) return out;

  if (m_variant == 3) {
    // Only the slot form of the coefficient write: 03 07 slot coefficient.
    if (sub == 3 && a[0] == 7 && a[2] >= 1 && a[2] <= 254) {
      int p = 0;
      switch (a[1]) {
        case 0: p = 1; m_upper = false; break;
        case 1: p = 5; m_upper = true; break;
        case 16: p = 3; m_upper = false; break;
        case 17: p = 7; m_upper = true; break;
        default: break;
      }
      if (p) {
        setCoefficient(p, a[2]);
        done(true);
      }
    }
    return out;
  }

  switch (sub) {
    case 1:
      if (a[0] == 1 && a[1] == kDone) {
        m_adjust = true;
        done(true);
      } else if (a[0] == 0 && a[1] == kDone && m_adjust) {
        ++m_stores;
        done(true);
      }
      break;
    case 2:
      if (m_adjust && a[0] == 4 && a[1] == 8 && hasPoint(point)) {
        const int v = measureInjection(point);
        m_lastRead[std::size_t(point - 1)] = v;
        out[13] = char(point);
        out[14] = char(v & 0xFF);
        out[15] = char(v >> 8);
        done(true);
      }
      break;
    case 3:
      if (m_adjust && a[0] == 3 && a[1] == 7 && hasPoint(point) && a[3] >= 1 && a[3] <= 254) {
        setCoefficient(point, a[3]);
        m_lastRead[std::size_t(point - 1)].reset();
        out[13] = char(point);
        done(true);
      }
      break;
    case 4:
      if (m_adjust && a[0] == 1 && a[1] == kDone && hasPoint(point)) {
        const int v = a[3] | (a[4] << 8);
        const bool match = m_lastRead[std::size_t(point - 1)] == v;
        out[2] = char(match ? kDone : 0);
        out[13] = char(point);
        done(match);
      }
      break;
    default:
      break;
  }
  return out;
}

}  // namespace vmk::sim
