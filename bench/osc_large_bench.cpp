// vmkbench's figures of a large recording in the viewer: 60 s at 10 kHz,
// 24 analog and 64 digital channels, written here in each data form; the
// load and first paint, a redraw after a zoom and after a pan, and the
// resident memory the recording added against the data file's size.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>

#include "bench/osc_bench.h"
#include "oscview/osc_window.h"

namespace vmk::bench {

namespace {

constexpr int kRate = 10000;
constexpr int kSamples = 60 * kRate;
constexpr int kAnalog = 24;
constexpr int kDigital = 64;

// A fault-like value: 50 Hz with a step in amplitude at the trigger (1 s).
int rawAt(int c, int s) {
  const double amplitude = s < kRate ? 2000 : 9000;
  return int(std::lround(amplitude * std::sin(2 * M_PI * 50 * s / kRate - c * 2.0943951)));
}
bool stateAt(int c, int s) { return s > kRate + c * 500 && s < 3 * kRate + c * 700; }

QByteArray cfgText(const char* form) {
  QByteArray out = "Bench station,Bench recorder,2013\r\n" + QByteArray::number(kAnalog + kDigital) + "," +
                   QByteArray::number(kAnalog) + "A," + QByteArray::number(kDigital) + "D\r\n";
  for (int c = 0; c < kAnalog; ++c)
    out += QByteArray::number(c + 1) + ",I" + QByteArray::number(c / 3 + 1) + "ABC"[c % 3] + ',' + "ABC"[c % 3] +
           ",,A,0.05,0,0,-32767,32767,600,5,P\r\n";
  for (int c = 0; c < kDigital; ++c) out += QByteArray::number(c + 1) + ",D" + QByteArray::number(c + 1) + ",,,0\r\n";
  out += "50\r\n1\r\n" + QByteArray::number(kRate) + "," + QByteArray::number(kSamples) +
         "\r\n01/03/2026,10:00:00.000000\r\n01/03/2026,10:00:01.000000\r\n" + form + "\r\n1\r\n0,0\r\n4,0\r\n";
  return out;
}

bool writeData(const QString& path, const QByteArray& form) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  QByteArray chunk;
  char text[32];
  for (int s = 0; s < kSamples; ++s) {
    if (form == "ASCII") {
      chunk += QByteArray::number(s + 1) + ',' + QByteArray::number(qint64(s) * 100);
      for (int c = 0; c < kAnalog; ++c) {
        chunk += ',';
        chunk.append(text, std::to_chars(text, text + sizeof text, rawAt(c, s)).ptr - text);
      }
      for (int c = 0; c < kDigital; ++c) chunk += stateAt(c, s) ? ",1" : ",0";
      chunk += "\r\n";
    } else {
      char b[4];
      qToLittleEndian<quint32>(quint32(s + 1), b);
      chunk.append(b, 4);
      qToLittleEndian<quint32>(quint32(s * 100), b);
      chunk.append(b, 4);
      for (int c = 0; c < kAnalog; ++c) {
        if (form == "BINARY") qToLittleEndian<qint16>(qint16(rawAt(c, s)), b), chunk.append(b, 2);
        else if (form == "BINARY32") qToLittleEndian<qint32>(rawAt(c, s), b), chunk.append(b, 4);
        else qToLittleEndian<float>(float(rawAt(c, s)), b), chunk.append(b, 4);
      }
      for (int w = 0; w < kDigital / 16; ++w) {
        quint16 bits = 0;
        for (int k = 0; k < 16; ++k) bits |= quint16(stateAt(w * 16 + k, s)) << k;
        qToLittleEndian<quint16>(bits, b);
        chunk.append(b, 2);
      }
    }
    if (chunk.size() > (1 << 20)) {
      if (f.write(chunk) != chunk.size()) return false;
      chunk.clear();
    }
  }
  return f.write(chunk) == chunk.size();
}

double residentMb() {
  QFile f(QStringLiteral("/proc/self/statm"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = f.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1 << 20) : 0;
}

double elapsedMs(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

}  // namespace

int runOscLarge() {
  QTemporaryDir dir;
  std::printf("\nthe viewer on 60 s at 10 kHz, %d analog and %d digital channels (targets: open <= 1000 ms, "
              "redraw <= 33 ms, memory <= 3 x data file)\n",
              kAnalog, kDigital);
  std::printf("  %-10s %9s %12s %10s %10s %10s %8s\n", "form", "data, MB", "open+paint", "zoom", "pan", "memory, MB",
              "x file");
  int rc = 0;
  for (const QByteArray form : {"ASCII", "BINARY", "BINARY32", "FLOAT32"}) {
    const QString base = dir.filePath(QString::fromLatin1(form).toLower());
    QFile cfg(base + QStringLiteral(".cfg"));
    if (!cfg.open(QIODevice::WriteOnly) || cfg.write(cfgText(form)) < 0 || !writeData(base + ".dat", form)) {
      std::printf("  %-10s could not be written\n", form.constData());
      rc = 1;
      continue;
    }
    cfg.close();
    const double dataMb = double(QFile(base + ".dat").size()) / (1 << 20);
    malloc_trim(0);
    const double before = residentMb();
    double open = 0, zoom = 0, pan = 0, memory = 0;
    bool ok = true;
    {
      oscview::OscViewWindow w;
      w.setShowErrors(false);
      w.resize(1280, 800);
      w.show();
      QCoreApplication::processEvents();
      QElapsedTimer t;
      t.start();
      ok = w.open(base + ".cfg").isEmpty();
      w.plot()->repaint();
      open = elapsedMs(t);
      memory = residentMb() - before;
      t.restart();
      w.zoomTime(900, 1400);
      w.plot()->repaint();
      zoom = elapsedMs(t);
      t.restart();
      w.zoomTime(20000, 20500);
      w.plot()->repaint();
      pan = elapsedMs(t);
    }
    std::printf("  %-10s %9.1f %9.1f ms %7.1f ms %7.1f ms %10.1f %8.2f%s\n", form.constData(), dataMb, open, zoom,
                pan, memory, memory / dataMb, ok ? "" : "  (FAILED)");
    rc |= ok ? 0 : 1;
    QFile::remove(base + ".dat");
  }
  return rc;
}

}  // namespace vmk::bench
