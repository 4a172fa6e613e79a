// The data: ASCII lines, or binary records of 16- or 32-bit integers or
// float32. The samples are counted (ASCII) or the records measured against
// the file's length (binary) before any memory is taken for them.

#include <QtEndian>
#include <charconv>
#include <cmath>
#include <limits>

#include "oscview/comtrade_read.h"

namespace vmk::oscview::detail {

namespace {

constexpr qsizetype kProgressStep = 1 << 16;  // samples between progress reports

class DataReader {
 public:
  DataReader(QByteArrayView dat, const Layout& lay, const QString& name, Recording& rec, const Progress& progress)
      : m_dat(dat), m_lay(lay), m_name(name), m_rec(rec), m_progress(progress) {}

  void read() {
    if (m_lay.form == QLatin1String("ASCII")) readAscii();
    else readBinary();
    finish();
  }

 private:
  [[noreturn]] void refuseLine(qsizetype line, const QString& why) const {
    refuse(QStringLiteral("%1, строка %2: %3").arg(m_name).arg(line).arg(why));
  }
  [[noreturn]] void refuseSample(qsizetype sample, const QString& why) const {
    refuse(QStringLiteral("%1, отсчёт %2: %3").arg(m_name).arg(sample).arg(why));
  }

  // Takes memory for `count` samples once the count is known to fit.
  void allocate(qsizetype count, AnalogSamples::Form form) {
    if (count == 0) refuse(QStringLiteral("В файле данных нет отсчётов"));
    const int width = form == AnalogSamples::Form::Int16 ? 2 : 4;
    const qint64 bytes = qint64(count) * (qint64(m_lay.analog) * width + (m_lay.digital + 7) / 8);
    if (count > kMaxSamples || bytes > kMaxStoredBytes)
      refuse(QStringLiteral("Слишком много отсчётов: %1 по %2 каналам").arg(count).arg(m_lay.analog + m_lay.digital));
    m_count = count;
    const bool marks = form != AnalogSamples::Form::Int16 || m_rec.revision >= 1999;
    m_rec.values.resize(m_lay.analog);
    for (int c = 0; c < m_lay.analog; ++c) {
      const AnalogChannel& ch = m_rec.analog[c];
      const double k = ch.secondaryValues ? ch.primary / ch.secondary : 1;
      m_rec.values[c].reset(form, count);
      m_rec.values[c].setScale(ch.a * k, ch.b * k, marks);
    }
    m_rec.states.resize(m_lay.digital);
    for (DigitalSamples& d : m_rec.states) d.reset(count);
    if (m_lay.hz.empty()) m_stamps.resize(std::size_t(count));
  }

  void report(qsizetype s) const {
    if (!m_progress || s % kProgressStep != 0) return;
    if (!m_progress(int(100 * s / std::max<qsizetype>(1, m_count)))) refuse(QStringLiteral("Чтение прервано"));
  }

  static bool space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

  // [from, to) without the white space around it, as QByteArrayView::trimmed.
  static QByteArrayView trimmedField(const char* from, const char* to) {
    while (from < to && space(*from)) ++from;
    while (to > from && space(to[-1])) --to;
    return QByteArrayView(from, to - from);
  }

  static bool blank(QByteArrayView line) {
    for (char c : line)
      if (c != ' ' && c != '\t' && c != '\r') return false;
    return true;
  }

  // Lines that hold anything, up to the samples the configuration names.
  qsizetype countLines() const {
    qsizetype lines = 0, pos = 0;
    const qsizetype limit = m_lay.declared > 0 ? qsizetype(m_lay.declared) : kMaxSamples + 1;
    while (pos < m_dat.size() && lines < limit) {
      qsizetype end = m_dat.indexOf('\n', pos);
      if (end < 0) end = m_dat.size();
      if (!blank(m_dat.sliced(pos, end - pos))) ++lines;
      pos = end + 1;
    }
    return lines;
  }

  void readAscii() {
    const int fields = 2 + m_lay.analog + m_lay.digital;
    // A line holds at least its commas and its end, so a count the file's
    // size can hold is taken as it stands and checked as the lines are
    // read; any other is counted first. Counting costs a pass over the file.
    const bool sizeHoldsDeclared = m_lay.declared > 0 && m_lay.declared <= m_dat.size() / fields + 1;
    const qsizetype lines = sizeHoldsDeclared ? qsizetype(m_lay.declared) : countLines();
    allocate(lines, AnalogSamples::Form::Int32);
    qsizetype pos = 0, lineNo = 0, s = 0;
    while (pos < m_dat.size() && s < m_count) {
      qsizetype end = m_dat.indexOf('\n', pos);
      if (end < 0) end = m_dat.size();
      QByteArrayView line = m_dat.sliced(pos, end - pos);
      pos = end + 1;
      m_lineNo = ++lineNo;
      if (blank(line)) continue;
      if (line.endsWith('\r')) line.chop(1);
      report(s);
      // Fields are a few characters each: a plain scan for the comma and
      // the blanks around it costs less than a library search per field,
      // which weighed a third of the reading of a large file.
      int field = 0;
      const char* at = line.data();
      const char* const lineEnd = at + line.size();
      while (true) {
        const char* comma = at;
        while (comma < lineEnd && *comma != ',') ++comma;
        const QByteArrayView f = trimmedField(at, comma);
        if (field >= fields) refuseLine(lineNo, QStringLiteral("больше %1 полей").arg(fields));
        if (!asciiField(f, field, s))
          refuseLine(lineNo,
                     QStringLiteral("поле %1 «%2» не число").arg(field + 1).arg(QString::fromLatin1(f.toByteArray())));
        ++field;
        if (comma == lineEnd) break;
        at = comma + 1;
      }
      if (field != fields) refuseLine(lineNo, QStringLiteral("%1 полей вместо %2").arg(field).arg(fields));
      ++s;
    }
    if (s == 0) refuse(QStringLiteral("В файле данных нет отсчётов"));
    if (m_lay.declared > 0 && s < m_lay.declared)
      refuse(QStringLiteral("В файле данных %1 отсчётов, в файле конфигурации %2").arg(s).arg(m_lay.declared));
  }

  // One field of sample `s`; false when it is no number it may be.
  bool asciiField(QByteArrayView f, int field, qsizetype s) {
    const char* b = f.data();
    const char* e = b + f.size();
    if (field == 0) {
      qint64 n;
      return std::from_chars(b, e, n).ptr == e && !f.isEmpty();
    }
    if (field == 1) {
      // The stamp: empty when the rates give the times.
      if (f.isEmpty()) {
        if (m_lay.hz.empty())
          refuseLine(m_lineNo, QStringLiteral("нет метки времени, а частота дискретизации не задана"));
        return true;
      }
      qint64 stamp;
      if (std::from_chars(b, e, stamp).ptr != e) return false;
      if (m_lay.hz.empty()) {
        if (s > 0 && stamp < m_stamps[std::size_t(s) - 1])
          refuseLine(m_lineNo, QStringLiteral("метка времени меньше предыдущей"));
        m_stamps[std::size_t(s)] = stamp;
      }
      return true;
    }
    if (field < 2 + m_lay.analog) {
      AnalogSamples& v = m_rec.values[field - 2];
      if (f.isEmpty()) return true;  // a missing value (2013)
      qint64 n;
      const auto [end, ec] = std::from_chars(b, e, n);
      if (end == e && ec == std::errc() && n > std::numeric_limits<qint32>::min() &&
          n <= std::numeric_limits<qint32>::max()) {
        // 99999 marks a missing value from 1999 on.
        if (n == 99999 && m_rec.revision >= 1999) return true;
        if (v.form() == AnalogSamples::Form::Int32) v.setInt(s, qint32(n));
        else v.setFloat(s, float(n));
        return true;
      }
      double d;
      const char* at = b + (f.startsWith('+') ? 1 : 0);
      if (std::from_chars(at, e, d).ptr != e || !std::isfinite(d) || std::abs(d) > 3.4e38) return false;
      v.toFloat();
      v.setFloat(s, float(d));
      return true;
    }
    if (f.size() != 1 || (f[0] != '0' && f[0] != '1')) return false;
    m_rec.states[field - 2 - m_lay.analog].set(s, f[0] == '1');
    return true;
  }

  void readBinary() {
    const AnalogSamples::Form form = m_lay.form == QLatin1String("BINARY")     ? AnalogSamples::Form::Int16
                                     : m_lay.form == QLatin1String("BINARY32") ? AnalogSamples::Form::Int32
                                                                               : AnalogSamples::Form::Float32;
    const int width = form == AnalogSamples::Form::Int16 ? 2 : 4;
    const int words = (m_lay.digital + 15) / 16;
    const qint64 record = 8 + qint64(m_lay.analog) * width + 2 * words;
    const qint64 whole = m_dat.size() / record;
    if (m_lay.declared > whole)
      refuse(QStringLiteral("%1: %2 байт, а %3 отсчётов по %4 байт требуют %5 байт")
                 .arg(m_name)
                 .arg(m_dat.size())
                 .arg(m_lay.declared)
                 .arg(record)
                 .arg(m_lay.declared * record));
    allocate(qsizetype(m_lay.declared > 0 ? m_lay.declared : whole), form);
    const uchar* p = reinterpret_cast<const uchar*>(m_dat.data());
    for (qsizetype s = 0; s < m_count; ++s, p += record) {
      report(s);
      const quint32 stamp = qFromLittleEndian<quint32>(p + 4);
      if (m_lay.hz.empty()) {
        if (stamp == 0xFFFFFFFFu)
          refuseSample(s + 1, QStringLiteral("нет метки времени, а частота дискретизации не задана"));
        if (s > 0 && stamp < m_stamps[std::size_t(s) - 1])
          refuseSample(s + 1, QStringLiteral("метка времени меньше предыдущей"));
        m_stamps[std::size_t(s)] = stamp;
      }
      const uchar* v = p + 8;
      for (int c = 0; c < m_lay.analog; ++c, v += width) {
        AnalogSamples& a = m_rec.values[c];
        if (form == AnalogSamples::Form::Int16) a.setInt(s, qFromLittleEndian<qint16>(v));
        else if (form == AnalogSamples::Form::Int32) a.setInt(s, qFromLittleEndian<qint32>(v));
        else a.setFloat(s, qFromLittleEndian<float>(v));
      }
      for (int w = 0; w < words; ++w, v += 2) {
        const quint16 bits = qFromLittleEndian<quint16>(v);
        for (int k = 0; k < 16 && w * 16 + k < m_lay.digital; ++k) m_rec.states[w * 16 + k].set(s, (bits >> k) & 1);
      }
    }
  }

  // The times, from the rates or from the stamps, and the plot's blocks.
  void finish() {
    const double firstMs = -m_rec.triggerOffsetMs;
    if (!m_lay.hz.empty()) {
      m_rec.times.fromRates(m_lay.hz, m_lay.ends, m_count, firstMs);
    } else {
      m_rec.times.fromStamps(std::move(m_stamps), m_rec.timemult / 1000.0, firstMs);
    }
    for (AnalogSamples& v : m_rec.values) v.finish();
  }

  QByteArrayView m_dat;
  const Layout& m_lay;
  QString m_name;
  Recording& m_rec;
  const Progress& m_progress;
  qsizetype m_count = 0;
  qsizetype m_lineNo = 0;
  std::vector<qint64> m_stamps;
};

}  // namespace

void parseData(QByteArrayView dat, const Layout& lay, const QString& name, Recording& rec,
               const Progress& progress) {
  DataReader(dat, lay, name, rec, progress).read();
}

}  // namespace vmk::oscview::detail
