#pragma once
// Reading COMTRADE recordings: configuration files of 1991, 1999 and 2013;
// data files in ASCII, BINARY (16-bit), BINARY32 and FLOAT32; the 2013
// single file (.cff) with its CFG, INF, HDR and DAT sections; one or more
// sampling rates, or the samples' own time stamps; ours in both of our
// forms and every other tool's. Configuration text in UTF-8 (with or
// without a byte-order mark), Windows-1251 or Latin-1. Every file is
// untrusted: sizes, counts, fields and numbers are checked against the
// file's real length before memory is taken, and a file that does not fit
// is refused with a text that names the file, the place and what was
// expected. Qt Core only.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "oscview/osc_samples.h"

namespace vmk::oscview {

struct AnalogChannel {
  int index = 0;
  QString id, phase, component, unit;
  double a = 1, b = 0, skew = 0;
  double min = 0, max = 0;
  double primary = 1, secondary = 1;
  bool secondaryValues = false;  // PS "S": value × a + b is secondary
};

struct DigitalChannel {
  int index = 0;
  QString id, phase, component;
  int normal = 0;
};

struct SampleRate {
  double hz = 0;
  qint64 lastSample = 0;
};

struct Recording {
  QString station;
  QString device;
  int revision = 1991;
  QString dataForm = QStringLiteral("ASCII");  // ASCII, BINARY, BINARY32, FLOAT32
  bool singleFile = false;                     // read from a .cff
  QList<AnalogChannel> analog;
  QList<DigitalChannel> digital;
  double lineFrequency = 50;
  QList<SampleRate> rates;   // none in the time-stamp form
  double sampleRate = 0;     // of the first rate; 0 when the file gives none
  double timemult = 1;
  QString firstStamp;        // as written
  QString triggerStamp;
  double triggerOffsetMs = 0;  // trigger after the first sample
  QString timeCode, localCode;       // 2013: local time against UTC
  QString timeQuality, leapSecond;   // 2013: tmq_code, leapsec
  QString header, information;       // the .hdr and .inf texts, when present

  TimeAxis times;                     // ms from the trigger
  QList<AnalogSamples> values;        // per analog channel, primary units
  QList<DigitalSamples> states;       // per digital channel

  int sampleCount() const { return int(times.size()); }
  double timeMs(qsizetype s) const { return times.at(s); }
  double value(int c, qsizetype s) const { return values[c].at(s); }
  bool state(int c, qsizetype s) const { return states[c].at(s); }
};

struct LoadResult {
  Recording recording;
  QString error;  // empty when the recording was read
  bool ok() const { return error.isEmpty(); }
};

// The largest files and counts taken; anything larger is refused.
constexpr qint64 kMaxCfgBytes = 1 << 20;
constexpr qint64 kMaxDatBytes = qint64(2) << 30;
constexpr int kMaxChannels = 999;
constexpr qint64 kMaxSamples = 200'000'000;
constexpr qint64 kMaxStoredBytes = qint64(3) << 30;  // the samples as kept

// Told the share read (0..100) now and then; false cancels the reading.
using Progress = std::function<bool(int percent)>;

// What the refusals call the files.
struct FileNames {
  QString cfg = QStringLiteral("Файл конфигурации");
  QString dat = QStringLiteral("Файл данных");
};

// Reads a pair from its bytes.
LoadResult parseComtrade(QByteArrayView cfg, QByteArrayView dat, const FileNames& names = {},
                         const Progress& progress = {});

// Reads a single 2013 file (.cff) from its bytes.
LoadResult parseCombined(QByteArrayView cff, const QString& name = QStringLiteral("Файл"),
                         const Progress& progress = {});

// Reads `path`: a configuration file with the data file beside it (.dat or
// .DAT) and the .hdr and .inf when present, or a .cff.
LoadResult loadComtrade(const QString& path, const Progress& progress = {});

}  // namespace vmk::oscview
