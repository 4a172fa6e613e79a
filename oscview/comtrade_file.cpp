#include "oscview/comtrade_file.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTime>
#include <cmath>

#include "extlib/cp1251_table.h"

namespace vmk::oscview {

namespace {

// A refusal: the text the viewer shows.
struct Refused {
  QString text;
};

[[noreturn]] void refuse(const QString& text) { throw Refused{text}; }
[[noreturn]] void refuseCfg(int line, const QString& why) {
  refuse(QStringLiteral("Файл конфигурации, строка %1: %2").arg(line).arg(why));
}
[[noreturn]] void refuseDat(int line, const QString& why) {
  refuse(QStringLiteral("Файл данных, строка %1: %2").arg(line).arg(why));
}

// UTF-8 when the bytes are valid UTF-8 (ASCII is), else Windows-1251.
QString decodeText(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(bytes);
  if (!utf8.hasError()) return text;
  return cp1251::table::decode(bytes);
}

QStringList cfgLines(const QString& text) {
  QStringList lines = text.split(QLatin1Char('\n'));
  for (QString& l : lines)
    if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
  while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
  return lines;
}

double real(const QString& text, int line, const char* what) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(v))
    refuseCfg(line, QStringLiteral("%1 «%2» не число").arg(QString::fromUtf8(what), text));
  return v;
}

int integer(const QString& text, int line, const char* what, int lo, int hi) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (!ok || v < lo || v > hi)
    refuseCfg(line, QStringLiteral("%1 «%2» не целое от %3 до %4").arg(QString::fromUtf8(what), text).arg(lo).arg(hi));
  return v;
}

// A count field of line 2: "4A", "16D".
int countField(const QString& text, QChar kind, int line) {
  const QString t = text.trimmed();
  if (!t.endsWith(kind, Qt::CaseInsensitive)) refuseCfg(line, QStringLiteral("ожидается число каналов «%1»").arg(kind));
  return integer(t.chopped(1), line, "число каналов", 0, kMaxChannels);
}

// "dd/mm/yyyy,hh:mm:ss.ssssss" (or with a two-digit year, or month first
// as the 1991 form has it) as microseconds since a fixed day; the second
// reading is tried only when the first is no date.
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

struct Rate {
  double samp = 0;
  qint64 endsamp = 0;
};

// What the data file needs of the configuration.
struct Layout {
  int analog = 0;
  int digital = 0;
  QList<Rate> rates;
  double timemult = 1;
};

Layout parseCfg(const QStringList& l, Recording& rec) {
  Layout lay;
  int i = 0;
  auto line = [&](int n) -> const QString& {
    if (n >= l.size()) refuseCfg(n + 1, QStringLiteral("файл кончился"));
    return l[n];
  };

  // Line 1: station, device, year (1999); the 1991 form has no year, and
  // a station name may hold commas of its own.
  const QStringList head = line(i++).split(QLatin1Char(','));
  const QString last = head.last().trimmed();
  if (head.size() >= 3 && (last == QLatin1String("1999") || last == QLatin1String("2013"))) {
    rec.revision = last.toInt();
    rec.station = head.mid(0, head.size() - 2).join(QLatin1Char(',')).trimmed();
    rec.device = head[head.size() - 2].trimmed();
  } else {
    rec.station = head.join(QLatin1Char(',')).trimmed();
  }

  const QStringList counts = line(i).split(QLatin1Char(','));
  if (counts.size() != 3) refuseCfg(i + 1, QStringLiteral("ожидается «всего,nA,nD»"));
  const int total = integer(counts[0], i + 1, "число каналов", 0, 2 * kMaxChannels);
  lay.analog = countField(counts[1], QLatin1Char('A'), i + 1);
  lay.digital = countField(counts[2], QLatin1Char('D'), i + 1);
  if (total != lay.analog + lay.digital) refuseCfg(i + 1, QStringLiteral("число каналов не сходится"));
  ++i;

  for (int k = 0; k < lay.analog; ++k, ++i) {
    const QStringList f = line(i).split(QLatin1Char(','));
    if (f.size() != 10 && f.size() != 13)
      refuseCfg(i + 1, QStringLiteral("аналоговый канал: %1 полей вместо 10 или 13").arg(f.size()));
    AnalogChannel c;
    c.index = integer(f[0], i + 1, "номер канала", 1, kMaxChannels);
    c.id = f[1].trimmed();
    c.phase = f[2].trimmed();
    c.component = f[3].trimmed();
    c.unit = f[4].trimmed();
    c.a = real(f[5], i + 1, "множитель");
    c.b = real(f[6], i + 1, "смещение");
    c.skew = real(f[7], i + 1, "сдвиг");
    c.min = real(f[8], i + 1, "минимум");
    c.max = real(f[9], i + 1, "максимум");
    if (f.size() == 13) {
      c.primary = real(f[10], i + 1, "первичное значение");
      c.secondary = real(f[11], i + 1, "вторичное значение");
      const QString ps = f[12].trimmed().toUpper();
      if (ps != QLatin1String("P") && ps != QLatin1String("S"))
        refuseCfg(i + 1, QStringLiteral("ожидается P или S"));
      c.secondaryValues = ps == QLatin1String("S");
      if (c.secondaryValues && (c.primary <= 0 || c.secondary <= 0))
        refuseCfg(i + 1, QStringLiteral("первичное и вторичное значения должны быть больше 0"));
    }
    rec.analog << c;
  }
  for (int k = 0; k < lay.digital; ++k, ++i) {
    const QStringList f = line(i).split(QLatin1Char(','));
    DigitalChannel c;
    c.index = integer(f[0], i + 1, "номер канала", 1, kMaxChannels);
    if (f.size() == 3) {
      c.id = f[1].trimmed();
      c.normal = integer(f[2], i + 1, "нормальное состояние", 0, 1);
    } else if (f.size() == 5) {
      c.id = f[1].trimmed();
      c.phase = f[2].trimmed();
      c.component = f[3].trimmed();
      c.normal = integer(f[4], i + 1, "нормальное состояние", 0, 1);
    } else {
      refuseCfg(i + 1, QStringLiteral("дискретный канал: %1 полей вместо 3 или 5").arg(f.size()));
    }
    rec.digital << c;
  }

  rec.lineFrequency = real(line(i), i + 1, "частота сети");
  ++i;
  if (rec.lineFrequency <= 0) rec.lineFrequency = 50;
  const int nrates = integer(line(i), i + 1, "число частот дискретизации", 0, 999);
  ++i;
  for (int r = 0; r < std::max(nrates, 1); ++r, ++i) {
    const QStringList f = line(i).split(QLatin1Char(','));
    if (f.size() != 2) refuseCfg(i + 1, QStringLiteral("ожидается «частота,последний отсчёт»"));
    Rate rate;
    rate.samp = real(f[0], i + 1, "частота дискретизации");
    bool ok = false;
    rate.endsamp = f[1].trimmed().toLongLong(&ok);
    if (!ok || rate.endsamp < 0 || rate.endsamp > kMaxValues || rate.samp < 0)
      refuseCfg(i + 1, QStringLiteral("неверный номер последнего отсчёта «%1»").arg(f[1]));
    if (!lay.rates.isEmpty() && rate.endsamp < lay.rates.last().endsamp)
      refuseCfg(i + 1, QStringLiteral("номера отсчётов убывают"));
    lay.rates << rate;
  }
  rec.sampleRate = lay.rates.first().samp;

  rec.firstStamp = line(i++).trimmed();
  rec.triggerStamp = line(i++).trimmed();
  const auto first = stampMicros(rec.firstStamp);
  const auto trigger = stampMicros(rec.triggerStamp);
  if (!first) refuseCfg(i - 1, QStringLiteral("неверные дата и время «%1»").arg(rec.firstStamp));
  if (!trigger) refuseCfg(i, QStringLiteral("неверные дата и время «%1»").arg(rec.triggerStamp));
  rec.triggerOffsetMs = double(*trigger - *first) / 1000.0;

  const QString ft = line(i++).trimmed().toUpper();
  if (ft != QLatin1String("ASCII")) {
    if (ft.startsWith(QLatin1String("BINARY")) || ft == QLatin1String("FLOAT32"))
      refuse(QStringLiteral("Двоичный файл данных (%1) не поддерживается: откройте файл в форме ASCII").arg(ft));
    refuseCfg(i, QStringLiteral("ожидается ASCII"));
  }
  if (i < l.size() && !l[i].trimmed().isEmpty()) {
    lay.timemult = real(l[i], i + 1, "множитель времени");
    if (lay.timemult <= 0) lay.timemult = 1;
  }
  return lay;
}

void parseDat(const QByteArray& dat, const Layout& lay, Recording& rec) {
  const qint64 declared = lay.rates.last().endsamp;
  const int fields = 2 + lay.analog + lay.digital;
  const qint64 channels = std::max(1, lay.analog + lay.digital);
  if (declared * channels > kMaxValues)
    refuse(QStringLiteral("Слишком много отсчётов: %1 по %2 каналам").arg(declared).arg(channels));

  rec.values = QVector<QVector<double>>(lay.analog);
  rec.states = QVector<QByteArray>(lay.digital);
  QVector<double> micros;
  const qint64 reserve = declared > 0 ? declared : 0;
  micros.reserve(reserve);
  for (auto& v : rec.values) v.reserve(reserve);
  for (auto& s : rec.states) s.reserve(reserve);

  qsizetype pos = 0;
  int lineNo = 0;
  while (pos < dat.size()) {
    qsizetype end = dat.indexOf('\n', pos);
    if (end < 0) end = dat.size();
    QByteArrayView line(dat.constData() + pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (line.endsWith('\r')) line.chop(1);
    if (line.trimmed().isEmpty()) continue;
    if (declared > 0 && micros.size() >= declared) break;  // beyond the last sample named

    int field = 0;
    qsizetype from = 0;
    double stamp = 0;
    bool stampGiven = true;
    while (true) {
      qsizetype comma = line.indexOf(',', from);
      const QByteArrayView f = line.sliced(from, (comma < 0 ? line.size() : comma) - from).trimmed();
      if (field >= fields) refuseDat(lineNo, QStringLiteral("больше %1 полей").arg(fields));
      bool ok = true;
      if (field == 0) {
        (void)f.toLongLong(&ok);
      } else if (field == 1) {
        if (f.isEmpty()) {
          stampGiven = false;
        } else {
          stamp = double(f.toLongLong(&ok));
        }
      } else if (field < 2 + lay.analog) {
        const int c = field - 2;
        const double raw = f.toDouble(&ok);
        ok = ok && std::isfinite(raw);
        if (ok) {
          const AnalogChannel& ch = rec.analog[c];
          double v = raw * ch.a + ch.b;
          if (ch.secondaryValues) v = v * ch.primary / ch.secondary;
          // 99999 marks a missing value in the 1999 form.
          rec.values[c].append(raw == 99999 && rec.revision >= 1999 ? std::nan("") : v);
        }
      } else {
        const int c = field - 2 - lay.analog;
        ok = f == "0" || f == "1";
        if (ok) rec.states[c].append(char(f == "1"));
      }
      if (!ok)
        refuseDat(lineNo, QStringLiteral("поле %1 «%2» не число").arg(field + 1).arg(QString::fromLatin1(f.toByteArray())));
      ++field;
      if (comma < 0) break;
      from = comma + 1;
    }
    if (field != fields) refuseDat(lineNo, QStringLiteral("%1 полей вместо %2").arg(field).arg(fields));
    if (!stampGiven && lay.rates.first().samp <= 0)
      refuseDat(lineNo, QStringLiteral("нет метки времени, а частота дискретизации не задана"));
    micros.append(stamp * lay.timemult);
    if (micros.size() * channels > kMaxValues) refuse(QStringLiteral("Слишком много отсчётов"));
  }
  if (micros.isEmpty()) refuse(QStringLiteral("В файле данных нет отсчётов"));
  if (declared > 0 && micros.size() < declared)
    refuse(QStringLiteral("В файле данных %1 отсчётов, в файле конфигурации %2").arg(micros.size()).arg(declared));

  // Times from the rates when the file gives them, else from the stamps.
  rec.timeMs.resize(micros.size());
  const bool fromRates = lay.rates.first().samp > 0;
  double t = 0;
  int r = 0;
  for (qsizetype s = 0; s < micros.size(); ++s) {
    if (fromRates) {
      if (s > 0) {
        while (r + 1 < lay.rates.size() && s >= lay.rates[r].endsamp) ++r;
        t += 1e6 / lay.rates[r].samp;
      }
      rec.timeMs[s] = t / 1000.0 - rec.triggerOffsetMs;
    } else {
      if (s > 0 && micros[s] < micros[s - 1]) refuseDat(int(s) + 1, QStringLiteral("метка времени меньше предыдущей"));
      rec.timeMs[s] = micros[s] / 1000.0 - rec.triggerOffsetMs;
    }
  }
}

QByteArray readLimited(const QString& path, qint64 limit) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    refuse(QStringLiteral("Не удалось открыть файл %1: %2").arg(path, f.errorString()));
  if (f.size() > limit)
    refuse(QStringLiteral("Файл %1 слишком велик (%2 байт)").arg(path).arg(f.size()));
  return f.readAll();
}

}  // namespace

LoadResult ParseComtrade(const QByteArray& cfg, const QByteArray& dat) {
  LoadResult result;
  try {
    if (cfg.size() > kMaxCfgBytes) refuse(QStringLiteral("Файл конфигурации слишком велик"));
    if (dat.size() > kMaxDatBytes) refuse(QStringLiteral("Файл данных слишком велик"));
    const QStringList lines = cfgLines(decodeText(cfg));
    if (lines.isEmpty()) refuse(QStringLiteral("Файл конфигурации пуст"));
    const Layout lay = parseCfg(lines, result.recording);
    parseDat(dat, lay, result.recording);
  } catch (const Refused& r) {
    result.recording = Recording{};
    result.error = r.text;
  }
  return result;
}

LoadResult LoadComtrade(const QString& cfgPath) {
  LoadResult result;
  try {
    const QByteArray cfg = readLimited(cfgPath, kMaxCfgBytes);
    const QFileInfo info(cfgPath);
    const QString stem = info.path() + QLatin1Char('/') + info.completeBaseName();
    QString datPath = stem + QStringLiteral(".dat");
    if (!QFileInfo::exists(datPath) && QFileInfo::exists(stem + QStringLiteral(".DAT")))
      datPath = stem + QStringLiteral(".DAT");
    const QByteArray dat = readLimited(datPath, kMaxDatBytes);
    return ParseComtrade(cfg, dat);
  } catch (const Refused& r) {
    result.error = r.text;
  }
  return result;
}

}  // namespace vmk::oscview
