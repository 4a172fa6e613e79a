#include "journals/comtrade_standard.h"

#include <QHash>
#include <algorithm>

namespace vmk::osc {

namespace {

const QHash<QChar, QString>& letters() {
  static const QHash<QChar, QString> table = [] {
    const char* lower[] = {"a", "b", "v", "g", "d", "e", "zh", "z", "i", "y", "k",
                           "l", "m", "n", "o", "p", "r", "s", "t", "u", "f", "kh",
                           "ts", "ch", "sh", "shch", "", "y", "", "e", "yu", "ya"};
    QHash<QChar, QString> t;
    for (int i = 0; i < 32; ++i) {
      const QString l = QLatin1String(lower[i]);
      t.insert(QChar(0x0430 + i), l);
      QString u = l;
      if (!u.isEmpty()) u[0] = u[0].toUpper();
      t.insert(QChar(0x0410 + i), u);
    }
    t.insert(QChar(0x0451), QStringLiteral("e"));  // ё
    t.insert(QChar(0x0401), QStringLiteral("E"));  // Ё
    t.insert(QChar(0x2116), QStringLiteral("N"));  // №
    return t;
  }();
  return table;
}

QString stamp(const QDateTime& t) {
  return t.toString(QStringLiteral("dd/MM/yyyy,HH:mm:ss.zzz")) + QStringLiteral("000");
}

QString number(double v) {
  QString s = QString::asprintf("%.6f", v);
  while (s.endsWith(QLatin1Char('0'))) s.chop(1);
  if (s.endsWith(QLatin1Char('.'))) s.chop(1);
  return s;
}

struct Analog {
  const char* id;
  const char* phase;
  double multiplier;
  double primary;
  double secondary;
};

}  // namespace

QString transliterate(const QString& text) {
  QString out;
  for (const QChar c : text) {
    const auto it = letters().constFind(c);
    if (it != letters().constEnd())
      out += *it;
    else if (c == QLatin1Char(','))
      out += QLatin1Char(';');
    else if (c.unicode() >= 0x20 && c.unicode() <= 0x7E)
      out += c;
    else
      out += QLatin1Char('?');
  }
  return out;
}

int analogValue(std::uint16_t sample) {
  const int v = sample <= 0x8000 ? int(sample) : int(sample) - 65536;
  return v + v / 2;
}

QStringList standardCfgLines(const StandardHeader& h, const SampleTable& table) {
  QStringList l;
  const QString station = transliterate(h.deviceName).trimmed();
  const QString device = transliterate(QStringLiteral("zav. N%1 PO %2").arg(h.serialNumber).arg(h.versionText));
  l << (station.isEmpty() ? QStringLiteral("VMK") : station) + QLatin1Char(',') + device +
           QStringLiteral(",1999");
  l << QStringLiteral("20,4A,16D");

  // Primary and secondary of the transformers; a secondary of 0 leaves the
  // ratio the alarm row carries over 1.
  const SetupFields& s = h.setup;
  const double phasePrimary = s.CtSecondary ? s.CtPrimary : h.phaseRatio;
  const double phaseSecondary = s.CtSecondary ? s.CtSecondary : 1;
  const double earthPrimary = s.EarthCtSecondary ? s.EarthCtPrimary : h.earthRatio;
  const double earthSecondary = s.EarthCtSecondary ? s.EarthCtSecondary : 1;
  const Analog analog[kAnalogChannels] = {
      {"IA", "A", h.phaseRatio / 100.0, phasePrimary, phaseSecondary},
      {"IB", "B", h.phaseRatio / 100.0, phasePrimary, phaseSecondary},
      {"IC", "C", h.phaseRatio / 100.0, phasePrimary, phaseSecondary},
      {"IN", "N", h.earthRatio / 1000.0, earthPrimary, earthSecondary}};
  for (int c = 0; c < kAnalogChannels; ++c) {
    int lo = 0, hi = 0;
    for (const Sample& x : table) {
      const int v = analogValue(x.analog[std::size_t(c)]);
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    const Analog& a = analog[c];
    l << QStringLiteral("%1,%2,%3,,A,%4,0,0,%5,%6,%7,%8,P")
             .arg(c + 1)
             .arg(QLatin1String(a.id), QLatin1String(a.phase), number(a.multiplier))
             .arg(lo)
             .arg(hi)
             .arg(number(a.primary), number(a.secondary));
  }
  for (int n = 1; n <= kDigitalChannels; ++n) {
    QString id = transliterate(h.channelNames[std::size_t(n - 1)]);
    if (id.isEmpty()) id = QStringLiteral("D%1").arg(n);
    l << QStringLiteral("%1,%2,,,0").arg(n).arg(id);
  }
  l << QStringLiteral("50") << QStringLiteral("1") << QStringLiteral("%1,%2").arg(kRate).arg(kSamples);
  l << stamp(h.alarmTime) << stamp(h.alarmTime.addMSecs(500));
  l << QStringLiteral("ASCII") << QStringLiteral("1");
  return l;
}

QByteArray standardCfgFile(const StandardHeader& header, const SampleTable& table) {
  QByteArray out;
  for (const QString& line : standardCfgLines(header, table)) out += line.toLatin1() + "\r\n";
  return out;
}

QByteArray standardDataFile(const SampleTable& table) {
  QByteArray out;
  out.reserve(int(table.size()) * 64);
  for (std::size_t s = 0; s < table.size(); ++s) {
    const Sample& x = table[s];
    out += QByteArray::number(qlonglong(s + 1));
    out += ',';
    out += QByteArray::number(qlonglong(s) * kSampleMicroseconds);
    for (std::uint16_t a : x.analog) {
      out += ',';
      out += QByteArray::number(analogValue(a));
    }
    for (int n = 1; n <= kDigitalChannels; ++n) out += x.channel(n) ? ",1" : ",0";
    out += "\r\n";
  }
  return out;
}

}  // namespace vmk::osc
