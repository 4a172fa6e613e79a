#include "oscview/osc_analysis.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <vector>

#include "oscview/osc_math.h"

namespace vmk::oscview {

namespace {

constexpr double kPi = 3.14159265358979323846;
const std::complex<double> kNaN{std::nan(""), std::nan("")};

double wrapDeg(double deg) {
  deg = std::fmod(deg, 360.0);
  if (deg <= -180) deg += 360;
  if (deg > 180) deg -= 360;
  return deg;
}

// The phase of a channel, 0..2, and the key of the group it belongs to;
// -1 when it is no phase of a three-phase set.
int phaseOf(const AnalogChannel& ch, QString& key) {
  static const QStringList letters{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
  static const QStringList numbers{QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L3")};
  const QString ph = ch.phase.trimmed().toUpper();
  int p = std::max(letters.indexOf(ph), numbers.indexOf(ph));
  if (p >= 0) {
    key = QStringLiteral("ph|") + ch.unit.toUpper() + QLatin1Char('|') + ch.component;
    return p;
  }
  // By the id: a quantity letter, then the phase, at the end.
  static const QRegularExpression id(QStringLiteral("(?:^|[^\\w])([IUV])[ _]?(A|B|C|L1|L2|L3)$"),
                                     QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = id.match(ch.id.trimmed());
  if (!m.hasMatch()) return -1;
  const QString phase = m.captured(2).toUpper();
  p = std::max(letters.indexOf(phase), numbers.indexOf(phase));
  key = QStringLiteral("id|") + m.captured(1).toUpper() + QLatin1Char('|') + ch.unit.toUpper();
  return p;
}

}  // namespace

Phasor Phasor::of(std::complex<double> z) {
  if (std::isnan(z.real()) || std::isnan(z.imag())) return {};
  return {std::abs(z), std::abs(z) > 0 ? wrapDeg(std::arg(z) * 180 / kPi) : 0.0};
}

double zeroCrossingHz(const Recording& rec, int c, qsizetype s) {
  if (c < 0 || c >= rec.values.size() || s < 0 || s >= rec.sampleCount()) return std::nan("");
  const double cycleMs = 1000.0 / rec.lineFrequency;
  const qsizetype perCycle = std::max<qsizetype>(2, qsizetype(std::llround(rec.times.rateAt(s) * cycleMs / 1000.0)));
  const qsizetype from = std::max<qsizetype>(0, rec.times.lowerBound(rec.timeMs(s) - 5 * cycleMs) - perCycle);
  // The signal less its mean over the cycle before each sample: a DC
  // offset or step moves the crossings for one cycle at most.
  std::vector<double> x;
  x.reserve(std::size_t(s - from + 1));
  for (qsizetype k = from; k <= s; ++k) x.push_back(rec.value(c, k));
  std::vector<double> centred(x.size(), std::nan(""));
  double sum = 0, peak = 0;
  int inSum = 0;
  const std::size_t n = std::size_t(perCycle);
  for (std::size_t k = 0; k < x.size(); ++k) {
    if (!std::isnan(x[k])) sum += x[k], ++inSum;
    if (k >= n && !std::isnan(x[k - n])) sum -= x[k - n], --inSum;
    if (k + 1 >= n && inSum > 0 && !std::isnan(x[k])) {
      centred[k] = x[k] - sum / inSum;
      peak = std::max(peak, std::abs(centred[k]));
    }
  }
  if (!(peak > 0)) return std::nan("");
  // A rising crossing counts once the signal was below -10 % of its peak,
  // so that a harmonic's ripple near zero is not taken for a cycle; the
  // median period leaves out a cycle a step disturbed.
  bool armed = false;
  double last = std::nan("");
  std::vector<double> periods;
  for (std::size_t k = 1; k < centred.size(); ++k) {
    const double a = centred[k - 1], b = centred[k];
    if (std::isnan(b)) {
      armed = false;
      continue;
    }
    if (b < -0.1 * peak) armed = true;
    if (armed && !std::isnan(a) && a < 0 && b >= 0) {
      const double t0 = rec.timeMs(from + qsizetype(k) - 1), t1 = rec.timeMs(from + qsizetype(k));
      const double t = t0 + (t1 - t0) * (-a) / (b - a);
      if (!std::isnan(last)) periods.push_back(t - last);
      last = t;
      armed = false;
    }
  }
  if (periods.empty()) return std::nan("");
  std::sort(periods.begin(), periods.end());
  const std::size_t m = periods.size();
  const double median = m % 2 ? periods[m / 2] : (periods[m / 2 - 1] + periods[m / 2]) / 2;
  // Periods that differ (a decaying DC offset moves the crossings) give no
  // frequency: the cycles in the middle must agree within 1 %.
  const std::size_t cut = m >= 4 ? 1 : 0;
  if (!(median > 0) || (periods[m - 1 - cut] - periods[cut]) > 0.01 * median) return std::nan("");
  return 1000.0 / median;
}

CycleWindow windowAt(const Recording& rec, qsizetype s, double hz) {
  CycleWindow w;
  if (s < 0 || s >= rec.sampleCount()) return w;
  w.hz = hz > 0 ? hz : rec.lineFrequency;
  w.atMs = rec.timeMs(s);
  const double rate = rec.times.rateAt(s);
  w.count = std::max<qsizetype>(2, qsizetype(std::llround(rate / w.hz)));
  w.count = std::min<qsizetype>(w.count, rec.sampleCount());
  w.first = std::max<qsizetype>(0, s - w.count + 1);
  if (w.first + w.count > rec.sampleCount()) w.first = rec.sampleCount() - w.count;
  return w;
}

Harmonics harmonicPhasors(const Recording& rec, int c, const CycleWindow& w) {
  Harmonics out;
  out.fill(kNaN);
  if (c < 0 || c >= rec.values.size() || w.count < 3) return out;
  // Unknowns: the mean, then cos and sin of each harmonic that the
  // cycle's samples can hold.
  const int top = int(std::min<qsizetype>(kMaxHarmonic, (w.count - 1) / 2));
  const int n = 1 + 2 * top;
  std::vector<double> ata(std::size_t(n * n), 0.0), aty(std::size_t(n), 0.0), row(std::size_t(n), 0.0);
  const double omega = 2 * kPi * w.hz / 1000.0;  // per ms
  for (qsizetype k = w.first; k < w.first + w.count; ++k) {
    const double v = rec.value(c, k);
    if (std::isnan(v)) return out;
    const double t = rec.timeMs(k) - w.atMs;
    row[0] = 1;
    for (int h = 1; h <= top; ++h) {
      row[std::size_t(2 * h - 1)] = std::cos(h * omega * t);
      row[std::size_t(2 * h)] = std::sin(h * omega * t);
    }
    for (int i = 0; i < n; ++i) {
      aty[std::size_t(i)] += row[std::size_t(i)] * v;
      for (int j = 0; j < n; ++j) ata[std::size_t(i * n + j)] += row[std::size_t(i)] * row[std::size_t(j)];
    }
  }
  // Gaussian elimination with partial pivoting.
  for (int col = 0; col < n; ++col) {
    int pivot = col;
    for (int r = col + 1; r < n; ++r)
      if (std::abs(ata[std::size_t(r * n + col)]) > std::abs(ata[std::size_t(pivot * n + col)])) pivot = r;
    if (std::abs(ata[std::size_t(pivot * n + col)]) < 1e-9 * double(w.count)) return out;
    if (pivot != col) {
      for (int j = 0; j < n; ++j) std::swap(ata[std::size_t(col * n + j)], ata[std::size_t(pivot * n + j)]);
      std::swap(aty[std::size_t(col)], aty[std::size_t(pivot)]);
    }
    for (int r = col + 1; r < n; ++r) {
      const double f = ata[std::size_t(r * n + col)] / ata[std::size_t(col * n + col)];
      for (int j = col; j < n; ++j) ata[std::size_t(r * n + j)] -= f * ata[std::size_t(col * n + j)];
      aty[std::size_t(r)] -= f * aty[std::size_t(col)];
    }
  }
  std::vector<double> x(std::size_t(n), 0.0);
  for (int r = n - 1; r >= 0; --r) {
    double sum = aty[std::size_t(r)];
    for (int j = r + 1; j < n; ++j) sum -= ata[std::size_t(r * n + j)] * x[std::size_t(j)];
    x[std::size_t(r)] = sum / ata[std::size_t(r * n + r)];
  }
  // a·cos + b·sin = √2·M·cos(hωt + φ): M∠φ = (a - jb) / √2.
  for (int h = 1; h <= top; ++h)
    out[std::size_t(h)] = std::complex<double>(x[std::size_t(2 * h - 1)], -x[std::size_t(2 * h)]) / std::sqrt(2.0);
  return out;
}

std::complex<double> harmonicPhasor(const Recording& rec, int c, const CycleWindow& w, int h) {
  if (h < 1 || h > kMaxHarmonic) return kNaN;
  return harmonicPhasors(rec, c, w)[std::size_t(h)];
}

ChannelFigures analyse(const Recording& rec, int c, qsizetype s, const CycleWindow& w) {
  ChannelFigures f;
  f.rms = cycleRms(rec, c, int(s));
  f.hz = zeroCrossingHz(rec, c, s);
  const Harmonics all = harmonicPhasors(rec, c, w);
  f.fundamental = all[1];
  const double base = std::abs(f.fundamental);
  double sum = 0;
  bool any = false;
  f.harmonicPercent.fill(std::nan(""));
  for (int h = 2; h <= kMaxHarmonic; ++h) {
    const std::complex<double> x = all[std::size_t(h)];
    if (std::isnan(x.real()) || !(base > 0)) continue;
    f.harmonicPercent[std::size_t(h)] = 100 * std::abs(x) / base;
    sum += std::norm(x);
    any = true;
  }
  if (any) f.thd = 100 * std::sqrt(sum) / base;
  return f;
}

Sequence symmetrical(std::complex<double> a, std::complex<double> b, std::complex<double> c) {
  const std::complex<double> op = std::polar(1.0, 2 * kPi / 3);
  const std::complex<double> op2 = op * op;
  return {(a + op * b + op2 * c) / 3.0, (a + op2 * b + op * c) / 3.0, a + b + c};
}

QList<PhaseGroup> phaseGroups(const Recording& rec) {
  QList<QString> keys;
  QList<PhaseGroup> groups;
  for (int c = 0; c < rec.analog.size(); ++c) {
    QString key;
    const int p = phaseOf(rec.analog[c], key);
    if (p < 0) continue;
    qsizetype g = keys.indexOf(key);
    if (g < 0) {
      keys << key;
      groups << PhaseGroup{};
      g = groups.size() - 1;
    }
    int& slot = p == 0 ? groups[g].a : p == 1 ? groups[g].b : groups[g].c;
    if (slot < 0) slot = c;
  }
  QList<PhaseGroup> out;
  for (PhaseGroup& g : groups)
    if (g.valid()) {
      g.name = analogName(rec, g.a) + QLatin1Char('/') + analogName(rec, g.b) + QLatin1Char('/') + analogName(rec, g.c);
      out << g;
    }
  return out;
}

QString quantity(const Recording& rec, const PhaseGroup& group) {
  if (group.a < 0 || group.a >= rec.analog.size()) return QStringLiteral("I");
  const AnalogChannel& ch = rec.analog[group.a];
  const QString unit = ch.unit.toUpper();
  const QString id = ch.id.trimmed().toUpper();
  if (unit.endsWith(QLatin1Char('V')) || unit.endsWith(QChar(u'В')) || id.startsWith(QLatin1Char('U')) ||
      id.startsWith(QLatin1Char('V')))
    return QStringLiteral("U");
  return QStringLiteral("I");
}

int defaultReference(const Recording& rec) {
  const QList<PhaseGroup> groups = phaseGroups(rec);
  if (!groups.isEmpty()) return groups.first().a;
  return rec.analog.isEmpty() ? -1 : 0;
}

double AnalysisAt::relativeDeg(std::complex<double> z) const {
  const Phasor p = Phasor::of(z);
  if (std::isnan(p.deg)) return p.deg;
  if (reference < 0 || reference >= channels.size()) return p.deg;
  const Phasor ref = Phasor::of(channels[reference].fundamental);
  if (std::isnan(ref.deg) || !(ref.rms > 0)) return p.deg;
  return wrapDeg(p.deg - ref.deg);
}

AnalysisAt analyseAt(const Recording& rec, double ms, int reference, const QList<PhaseGroup>& groups) {
  AnalysisAt a;
  a.ms = ms;
  a.sample = rec.times.nearest(ms);
  a.reference = reference;
  a.groups = groups;
  if (a.sample < 0) return a;
  // The cycle's length from the frequency of a voltage (no DC offset
  // there): first those within 10 % of the largest, in phase order, since
  // a faulted phase's voltage falls and its crossings move with the fall;
  // then the others; then the reference channel; the line's when none
  // gives one near it.
  QList<int> voltages;
  QList<double> rms;
  double largest = 0;
  for (const PhaseGroup& g : phaseGroups(rec))
    if (quantity(rec, g) == QLatin1String("U"))
      for (int c : {g.a, g.b, g.c}) {
        voltages << c;
        rms << cycleRms(rec, c, int(a.sample));
        if (rms.last() > largest) largest = rms.last();
      }
  QList<int> sources, fallen;
  for (int i = 0; i < voltages.size(); ++i) (rms[i] >= 0.9 * largest ? sources : fallen) << voltages[i];
  sources << fallen << reference;
  double hz = rec.lineFrequency;
  for (int c : sources) {
    const double f = zeroCrossingHz(rec, c, a.sample);
    if (f > 0.8 * rec.lineFrequency && f < 1.2 * rec.lineFrequency) {
      hz = f;
      a.frequencyChannel = c;
      break;
    }
  }
  a.window = windowAt(rec, a.sample, hz);
  for (int c = 0; c < rec.analog.size(); ++c) a.channels << analyse(rec, c, a.sample, a.window);
  for (const PhaseGroup& g : groups) {
    if (!g.valid() || g.a >= a.channels.size() || g.b >= a.channels.size() || g.c >= a.channels.size()) {
      a.sequences << Sequence{kNaN, kNaN, kNaN};
      continue;
    }
    a.sequences << symmetrical(a.channels[g.a].fundamental, a.channels[g.b].fundamental,
                               a.channels[g.c].fundamental);
  }
  return a;
}

}  // namespace vmk::oscview
