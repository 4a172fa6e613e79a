// The configuration file of 1991, 1999 or 2013, line by line.

#include <QDate>
#include <cmath>
#include <optional>

#include "oscview/comtrade_read.h"

namespace vmk::oscview::detail {

namespace {

constexpr double kMinLineHz = 10;
constexpr double kMaxLineHz = 1000;

class CfgReader {
 public:
  CfgReader(const QStringList& lines, const QString& name) : m_lines(lines), m_name(name) {}

  [[noreturn]] void refuseAt(int line, const QString& why) const {
    refuse(QStringLiteral("%1, строка %2: %3").arg(m_name).arg(line).arg(why));
  }

  // Line `n` (from 0); the file must reach it.
  const QString& line(int n) const {
    if (n >= m_lines.size()) refuseAt(n + 1, QStringLiteral("файл кончился"));
    return m_lines[n];
  }
  bool has(int n) const { return n < m_lines.size() && !m_lines[n].trimmed().isEmpty(); }

  double real(const QString& text, int line, const char* what) const {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
      refuseAt(line, QStringLiteral("%1 «%2» не число").arg(QString::fromUtf8(what), text));
    return v;
  }

  int integer(const QString& text, int line, const char* what, int lo, int hi) const {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < lo || v > hi)
      refuseAt(line,
               QStringLiteral("%1 «%2» не целое от %3 до %4").arg(QString::fromUtf8(what), text).arg(lo).arg(hi));
    return v;
  }

  // A count field of line 2: "4A", "16D".
  int countField(const QString& text, QChar kind, int line) const {
    const QString t = text.trimmed();
    if (!t.endsWith(kind, Qt::CaseInsensitive))
      refuseAt(line, QStringLiteral("ожидается число каналов «%1»").arg(kind));
    return integer(t.chopped(1), line, "число каналов", 0, kMaxChannels);
  }

 private:
  const QStringList& m_lines;
  QString m_name;
};

// "dd/mm/yyyy,hh:mm:ss.ssssss" (or with a two-digit year, or month first
// as the 1991 form has it; nanoseconds in 2013) as microseconds since a
// fixed day; the second reading is tried only when the first is no date.
std::optional<qint64> stampMicros(const QString& text) {
  const QStringList parts = text.trimmed().split(QLatin1Char(','));
  if (parts.size() != 2) return std::nullopt;
  const QStringList d = parts[0].trimmed().split(QLatin1Char('/'));
  const QStringList t = parts[1].trimmed().split(QLatin1Char(':'));
  if (d.size() != 3 || t.size() != 3) return std::nullopt;
  bool ok1 = false, ok2 = false, ok3 = false, ok4 = false, ok5 = false;
  const int a = d[0].toInt(&ok1), b = d[1].toInt(&ok2);
  int year = d[2].toInt(&ok3);
  const int hour = t[0].toInt(&ok4), minute = t[1].toInt(&ok5);
  if (!(ok1 && ok2 && ok3 && ok4 && ok5)) return std::nullopt;
  if (d[2].trimmed().size() <= 2) year += year < 70 ? 2000 : 1900;
  bool ok6 = false;
  const double seconds = t[2].toDouble(&ok6);
  if (!ok6 || !std::isfinite(seconds) || seconds < 0 || seconds >= 61) return std::nullopt;
  // Years beyond four digits would overflow the microsecond count.
  if (year < 1 || year > 9999) return std::nullopt;
  QDate date(year, b, a);
  if (!date.isValid()) date = QDate(year, a, b);
  if (!date.isValid() || hour < 0 || hour > 23 || minute < 0 || minute > 59) return std::nullopt;
  return date.toJulianDay() * 86'400'000'000LL + (hour * 3600LL + minute * 60LL) * 1'000'000LL +
         qint64(std::llround(seconds * 1e6));
}

bool isYear(const QString& t) {
  if (t.size() != 4) return false;
  for (QChar c : t)
    if (!c.isDigit()) return false;
  return true;
}

}  // namespace

Layout parseCfgLines(const QStringList& l, const QString& name, Recording& rec) {
  const CfgReader r(l, name);
  Layout lay;
  int i = 0;

  // Line 1: station, device, year (1999, 2013); the 1991 form has no year,
  // and the maker's station name holds commas of its own.
  if (r.line(0).trimmed().startsWith(QLatin1String("--- file type"), Qt::CaseInsensitive))
    r.refuseAt(1, QStringLiteral("это начало файла COMTRADE 2013 из одного файла (.cff), а ожидается "
                                 "«станция,устройство,год»"));
  const QStringList head = r.line(i++).split(QLatin1Char(','));
  const QString last = head.last().trimmed();
  if (head.size() >= 3 && isYear(last)) {
    rec.revision = last.toInt();
    if (rec.revision != 1991 && rec.revision != 1999 && rec.revision != 2013)
      r.refuseAt(1, QStringLiteral("ревизия «%1» неизвестна: ожидается 1991, 1999 или 2013").arg(last));
    rec.station = head.mid(0, head.size() - 2).join(QLatin1Char(',')).trimmed();
    rec.device = head[head.size() - 2].trimmed();
  } else if (head.size() == 2) {
    rec.station = head[0].trimmed();
    rec.device = head[1].trimmed();
  } else {
    rec.station = head.join(QLatin1Char(',')).trimmed();
  }

  const QStringList counts = r.line(i).split(QLatin1Char(','));
  if (counts.size() != 3) r.refuseAt(i + 1, QStringLiteral("ожидается «всего,nA,nD»"));
  const int total = r.integer(counts[0], i + 1, "число каналов", 0, 2 * kMaxChannels);
  lay.analog = r.countField(counts[1], QLatin1Char('A'), i + 1);
  lay.digital = r.countField(counts[2], QLatin1Char('D'), i + 1);
  if (total != lay.analog + lay.digital) r.refuseAt(i + 1, QStringLiteral("число каналов не сходится"));
  ++i;

  for (int k = 0; k < lay.analog; ++k, ++i) {
    const QStringList f = r.line(i).split(QLatin1Char(','));
    if (f.size() != 10 && f.size() != 13)
      r.refuseAt(i + 1, QStringLiteral("аналоговый канал: %1 полей вместо 10 или 13").arg(f.size()));
    AnalogChannel c;
    c.index = r.integer(f[0], i + 1, "номер канала", 1, kMaxChannels);
    c.id = f[1].trimmed();
    c.phase = f[2].trimmed();
    c.component = f[3].trimmed();
    c.unit = f[4].trimmed();
    c.a = r.real(f[5], i + 1, "множитель");
    c.b = r.real(f[6], i + 1, "смещение");
    c.skew = r.real(f[7], i + 1, "сдвиг");
    c.min = r.real(f[8], i + 1, "минимум");
    c.max = r.real(f[9], i + 1, "максимум");
    if (f.size() == 13) {
      c.primary = r.real(f[10], i + 1, "первичное значение");
      c.secondary = r.real(f[11], i + 1, "вторичное значение");
      const QString ps = f[12].trimmed().toUpper();
      if (ps != QLatin1String("P") && ps != QLatin1String("S")) r.refuseAt(i + 1, QStringLiteral("ожидается P или S"));
      c.secondaryValues = ps == QLatin1String("S");
      if (c.secondaryValues && (c.primary <= 0 || c.secondary <= 0))
        r.refuseAt(i + 1, QStringLiteral("первичное и вторичное значения должны быть больше 0"));
    }
    rec.analog << c;
  }
  for (int k = 0; k < lay.digital; ++k, ++i) {
    const QStringList f = r.line(i).split(QLatin1Char(','));
    DigitalChannel c;
    c.index = r.integer(f[0], i + 1, "номер канала", 1, kMaxChannels);
    if (f.size() == 3) {
      c.id = f[1].trimmed();
      c.normal = r.integer(f[2], i + 1, "нормальное состояние", 0, 1);
    } else if (f.size() == 5) {
      c.id = f[1].trimmed();
      c.phase = f[2].trimmed();
      c.component = f[3].trimmed();
      c.normal = r.integer(f[4], i + 1, "нормальное состояние", 0, 1);
    } else {
      r.refuseAt(i + 1, QStringLiteral("дискретный канал: %1 полей вместо 3 или 5").arg(f.size()));
    }
    rec.digital << c;
  }

  rec.lineFrequency = r.real(r.line(i), i + 1, "частота сети");
  ++i;
  // Recorders write 0 when they do not know it. A value no network runs at
  // (railway 16.7 Hz to aircraft 400 Hz lie well inside) is taken the same
  // way: as the cycle of the analysis it would make one cycle of a
  // 0.01 Hz "line" span the whole file and hold the window for seconds at
  // every cursor move.
  if (!(rec.lineFrequency >= kMinLineHz && rec.lineFrequency <= kMaxLineHz)) rec.lineFrequency = 50;
  const int nrates = r.integer(r.line(i), i + 1, "число частот дискретизации", 0, 999);
  ++i;
  // nrates 0: the time-stamp form, with one line "0,last sample".
  for (int k = 0; k < std::max(nrates, 1); ++k, ++i) {
    const QStringList f = r.line(i).split(QLatin1Char(','));
    if (f.size() != 2) r.refuseAt(i + 1, QStringLiteral("ожидается «частота,последний отсчёт»"));
    const double hz = r.real(f[0], i + 1, "частота дискретизации");
    bool ok = false;
    const qint64 end = f[1].trimmed().toLongLong(&ok);
    if (!ok || end < 0 || end > kMaxSamples || hz < 0)
      r.refuseAt(i + 1, QStringLiteral("неверный номер последнего отсчёта «%1»").arg(f[1]));
    if (!lay.ends.empty() && end < lay.ends.back()) r.refuseAt(i + 1, QStringLiteral("номера отсчётов убывают"));
    // The time-stamp form: a rate of 0 (its one line, or the first of several).
    if (k > 0 && (hz > 0) != (lay.hz.front() > 0))
      r.refuseAt(i + 1, QStringLiteral("частоты дискретизации: 0 вместе с другими"));
    lay.hz.push_back(hz);
    lay.ends.push_back(end);
    rec.rates << SampleRate{hz, end};
  }
  lay.declared = lay.ends.back();
  rec.sampleRate = lay.hz.front();
  if (nrates == 0 || rec.sampleRate <= 0) {
    lay.hz.clear();
    rec.rates.clear();
    rec.sampleRate = 0;
  }

  rec.firstStamp = r.line(i++).trimmed();
  rec.triggerStamp = r.line(i++).trimmed();
  const auto first = stampMicros(rec.firstStamp);
  const auto trigger = stampMicros(rec.triggerStamp);
  if (!first) r.refuseAt(i - 1, QStringLiteral("неверные дата и время «%1»").arg(rec.firstStamp));
  if (!trigger) r.refuseAt(i, QStringLiteral("неверные дата и время «%1»").arg(rec.triggerStamp));
  rec.triggerOffsetMs = double(*trigger - *first) / 1000.0;

  lay.form = r.line(i++).trimmed().toUpper();
  static const QStringList forms{QStringLiteral("ASCII"), QStringLiteral("BINARY"), QStringLiteral("BINARY32"),
                                 QStringLiteral("FLOAT32")};
  if (!forms.contains(lay.form))
    r.refuseAt(i, QStringLiteral("форма данных «%1» неизвестна: ожидается ASCII, BINARY, BINARY32 или FLOAT32")
                      .arg(r.line(i - 1).trimmed()));
  rec.dataForm = lay.form;
  if (r.has(i)) {
    rec.timemult = r.real(l[i], i + 1, "множитель времени");
    if (rec.timemult <= 0) rec.timemult = 1;
  }
  ++i;
  // 2013: the local time against UTC, then the time quality and the leap
  // second; shown as written.
  if (r.has(i)) {
    const QStringList f = l[i].split(QLatin1Char(','));
    if (f.size() != 2) r.refuseAt(i + 1, QStringLiteral("ожидается «time_code,local_code»"));
    rec.timeCode = f[0].trimmed().left(16);
    rec.localCode = f[1].trimmed().left(16);
  }
  ++i;
  if (r.has(i)) {
    const QStringList f = l[i].split(QLatin1Char(','));
    if (f.size() != 2) r.refuseAt(i + 1, QStringLiteral("ожидается «tmq_code,leapsec»"));
    rec.timeQuality = f[0].trimmed().left(4);
    rec.leapSecond = f[1].trimmed().left(4);
  }
  return lay;
}

}  // namespace vmk::oscview::detail
