#pragma once
// Fault analysis at a cursor: per analog channel the fundamental phasor by
// a one-cycle Fourier analysis (RMS magnitude, angle), the frequency from
// the zero crossings, the harmonics 2..15 in % of the fundamental and the
// THD; per three-phase group the symmetrical components. The cycle is the
// one that ends at the cursor's sample, as the RMS column's; its length
// follows the frequency measured on a voltage (a healthy one: within 10 %
// of the largest), else the reference channel. The mean and the harmonics
// of that frequency are fitted to the cycle's samples by least squares:
// where the cycle is a whole number of samples (50 Hz at 1600 or 4000 Hz)
// this is the one-cycle DFT itself, and at 49 or 51 Hz, where it is not,
// the fit keeps the DFT's leakage out of the phasors.

#include <QList>
#include <QString>
#include <array>
#include <complex>

#include "oscview/comtrade_file.h"

namespace vmk::oscview {

constexpr int kMaxHarmonic = 15;

struct Phasor {
  double rms = std::nan("");  // magnitude, RMS
  double deg = std::nan("");  // angle, degrees in (-180, 180]
  static Phasor of(std::complex<double> z);
};

// The samples a DFT takes: `count` from `first`, one cycle of `hz`, and the
// moment its angles are measured from.
struct CycleWindow {
  qsizetype first = 0;
  qsizetype count = 0;
  double hz = 50;
  double atMs = 0;
};

struct ChannelFigures {
  double rms = std::nan("");   // over the cycle (osc_math's cycleRms)
  std::complex<double> fundamental{std::nan(""), 0};  // RMS phasor, angle from the window's moment
  double hz = std::nan("");    // from zero crossings
  std::array<double, kMaxHarmonic + 1> harmonicPercent{};  // [2..15]; NaN above the sampling's reach
  double thd = std::nan("");   // % of the fundamental
};

struct PhaseGroup {
  int a = -1, b = -1, c = -1;  // analog channels
  QString name;                // "IA/IB/IC"
  bool valid() const { return a >= 0 && b >= 0 && c >= 0; }
};

struct Sequence {
  std::complex<double> positive, negative, zero3;  // I1, I2, 3I0
};

// The frequency of channel `c` from its rising zero crossings over up to
// five cycles of the line frequency that end at sample `s` (each sample
// less the mean of the cycle before it); the median period. NaN when fewer
// than two crossings lie there, or the periods differ by more than 1 %.
double zeroCrossingHz(const Recording& rec, int c, qsizetype s);

// One cycle of `hz` ending at sample `s` (the first cycle near the start).
CycleWindow windowAt(const Recording& rec, qsizetype s, double hz);

// The RMS phasors of harmonics 1..15 ([0] unused) of channel `c` over `w`:
// for √2·M·cos(2πh·f·t + φ), M∠φ with t from w.atMs. NaN when a value is
// missing or the harmonic is beyond half the samples of the cycle.
using Harmonics = std::array<std::complex<double>, kMaxHarmonic + 1>;
Harmonics harmonicPhasors(const Recording& rec, int c, const CycleWindow& w);
std::complex<double> harmonicPhasor(const Recording& rec, int c, const CycleWindow& w, int h);

ChannelFigures analyse(const Recording& rec, int c, qsizetype s, const CycleWindow& w);

Sequence symmetrical(std::complex<double> a, std::complex<double> b, std::complex<double> c);

// Three-phase groups: by the `ph` field (A/B/C, L1/L2/L3) and the unit,
// else by the ids (IA, "Ток Ib", U_C ...).
QList<PhaseGroup> phaseGroups(const Recording& rec);

// "I" for a group of currents, "U" for voltages (by the unit, else the id):
// the components are named I1, I2, 3I0 or U1, U2, 3U0.
QString quantity(const Recording& rec, const PhaseGroup& group);

// The reference channel by default: the first group's phase A, else the
// first analog channel; -1 when there is none.
int defaultReference(const Recording& rec);

// Everything at one cursor.
struct AnalysisAt {
  double ms = 0;
  qsizetype sample = -1;
  CycleWindow window;
  int reference = -1;
  int frequencyChannel = -1;       // whose frequency set the cycle; -1: the line's
  QList<ChannelFigures> channels;  // per analog channel
  QList<PhaseGroup> groups;
  QList<Sequence> sequences;  // per group
  // An angle relative to the reference channel's fundamental.
  double relativeDeg(std::complex<double> z) const;
};

AnalysisAt analyseAt(const Recording& rec, double ms, int reference, const QList<PhaseGroup>& groups);

}  // namespace vmk::oscview
