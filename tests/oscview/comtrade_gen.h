#pragma once
// A small COMTRADE writer of the tests' own, apart from the program's
// writer and the viewer's reader: a recording of any revision, data form
// and rate layout, as a pair or as one .cff, with the values it holds
// known sample by sample.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>
#include <cmath>
#include <functional>
#include <limits>

namespace vmk::testgen {

struct Rate {
  double hz;
  int last;  // last sample of the rate, from 1
};

struct Gen {
  int revision = 1999;
  QByteArray form = "ASCII";  // ASCII, BINARY, BINARY32, FLOAT32
  QList<Rate> rates{{1000, 60}};
  int samples = 60;           // in the time-stamp form (rates empty)
  double timemult = 1;
  int analog = 3;
  int digital = 18;           // two words in the binary forms
  QByteArray station = "North", device = "Rec 7";
  QByteArray lineHz = "50";
  // Raw numbers of the test's own instead of the default ones.
  std::function<double(int c, int s)> custom;

  // The raw number of analog channel c at sample s, as the file holds it
  // (an integer in the integer forms); NaN: missing.
  double raw(int c, int s) const { return custom ? custom(c, s) : defaultRaw(c, s); }

  double a(int c) const { return 0.5 + c; }
  double b(int c) const { return c - 1.0; }
  bool state(int c, int s) const { return (s / (c + 1)) % 2 == 1; }
  int count() const { return rates.isEmpty() ? samples : rates.last().last; }
  // Stamps in the time-stamp form: uneven steps.
  qint64 stamp(int s) const { return qint64(s) * 500 + (s % 3) * 40; }

  double defaultRaw(int c, int s) const {
    // Every 7th sample of channel 1 is missing where the revision has a mark.
    if (c == 1 && s % 7 == 3 && hasMissingMark()) return std::nan("");
    const int v = ((s * 37 + c * 101) % 2001) - 1000;
    if (form == "BINARY32") return double(v) * 70000;
    if (form == "FLOAT32") return v * 0.5 + 0.25;
    return v;
  }
  // 1991 has no missing mark: 99999 and 0x8000 are values there.
  bool hasMissingMark() const { return revision >= 1999; }

  // The value the reader should give: raw × a + b in float where the
  // file holds float.
  double expected(int c, int s) const {
    const double r = raw(c, s);
    if (std::isnan(r)) return r;
    return (form == "FLOAT32" ? double(float(r)) : r) * a(c) + b(c);
  }
  // Sample times in ms from the first sample.
  double timeMs(int s) const {
    if (rates.isEmpty()) return double(stamp(s)) * timemult / 1000.0;
    double t = 0;
    int r = 0;
    for (int k = 1; k <= s; ++k) {
      while (r + 1 < rates.size() && k >= rates[r].last) ++r;
      t += 1000.0 / rates[r].hz;
    }
    return t;
  }

  QByteArray cfg() const {
    QByteArray out;
    auto line = [&out](const QByteArray& l) { out += l + "\r\n"; };
    if (revision == 1991) line(station + ',' + device);
    else line(station + ',' + device + ',' + QByteArray::number(revision));
    line(QByteArray::number(analog + digital) + ',' + QByteArray::number(analog) + "A," +
         QByteArray::number(digital) + 'D');
    for (int c = 0; c < analog; ++c) {
      QByteArray l = QByteArray::number(c + 1) + ",I" + "ABC"[c % 3] + ',' + "ABC"[c % 3] + ",,A," +
                     QByteArray::number(a(c)) + ',' + QByteArray::number(b(c)) + ",0,-99999,99999";
      if (revision != 1991) l += ",1000,1,P";
      line(l);
    }
    for (int c = 0; c < digital; ++c)
      line(QByteArray::number(c + 1) + ",D" + QByteArray::number(c + 1) + (revision == 1991 ? ",0" : ",,,0"));
    line(lineHz);
    line(QByteArray::number(rates.size()));
    if (rates.isEmpty()) line("0," + QByteArray::number(samples));
    for (const Rate& r : rates) line(QByteArray::number(r.hz) + ',' + QByteArray::number(r.last));
    line("24/12/2010,13:45:00.000000");
    line("24/12/2010,13:45:00.010000");  // trigger 10 ms on
    line(form);
    if (revision != 1991) line(QByteArray::number(timemult));
    if (revision == 2013) {
      line("+3h,+3h");
      line("4,0");
    }
    return out;
  }

  QByteArray dat() const {
    QByteArray out;
    const bool ascii = form == "ASCII";
    for (int s = 0; s < count(); ++s) {
      const qint64 st = rates.isEmpty() ? stamp(s) : qint64(s) * 1000;
      if (ascii) {
        out += QByteArray::number(s + 1) + ',' + QByteArray::number(st);
        for (int c = 0; c < analog; ++c) {
          const double r = raw(c, s);
          out += ',';
          if (std::isnan(r)) out += revision == 2013 ? "" : "99999";
          else out += QByteArray::number(r, 'g', 12);
        }
        for (int c = 0; c < digital; ++c) out += state(c, s) ? ",1" : ",0";
        out += "\r\n";
        continue;
      }
      put<quint32>(out, quint32(s + 1));
      put<quint32>(out, quint32(st));
      for (int c = 0; c < analog; ++c) {
        const double r = raw(c, s);
        if (form == "BINARY") put<qint16>(out, std::isnan(r) ? qint16(-32768) : qint16(r));
        else if (form == "BINARY32") put<qint32>(out, std::isnan(r) ? std::numeric_limits<qint32>::min() : qint32(r));
        else put<float>(out, float(r));
      }
      for (int w = 0; w < (digital + 15) / 16; ++w) {
        quint16 bits = 0;
        for (int k = 0; k < 16 && w * 16 + k < digital; ++k) bits |= quint16(state(w * 16 + k, s)) << k;
        put<quint16>(out, bits);
      }
    }
    return out;
  }

  QByteArray cff(const QByteArray& hdr = "Fault on line 2", const QByteArray& inf = "[Public Record]") const {
    const QByteArray d = dat();
    QByteArray out = "--- file type: CFG ---\r\n" + cfg() + "--- file type: INF ---\r\n" + inf +
                     "\r\n--- file type: HDR ---\r\n" + hdr + "\r\n";
    if (form == "ASCII") return out + "--- file type: DAT ASCII ---\r\n" + d;
    return out + "--- file type: DAT " + form + ": " + QByteArray::number(d.size()) + " ---\r\n" + d;
  }

 private:
  template <typename T>
  static void put(QByteArray& out, T v) {
    char b[sizeof(T)];
    qToLittleEndian(v, b);
    out.append(b, sizeof(T));
  }
};

}  // namespace vmk::testgen
