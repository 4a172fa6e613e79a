#pragma once
// Reading a COMTRADE pair in ASCII form, of 1991 or 1999: ours in both of
// our forms and other tools' files, Windows-1251 or ASCII/UTF-8 text. Every
// file is untrusted: sizes, field counts, numbers and sample counts are
// checked, and a file that does not fit is refused with a text that says
// where and why. Qt Core only.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

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

struct Recording {
  QString station;
  QString device;
  int revision = 1991;
  QList<AnalogChannel> analog;
  QList<DigitalChannel> digital;
  double lineFrequency = 50;
  double sampleRate = 0;     // of the first rate; 0 when the file gives none
  QString firstStamp;        // as written
  QString triggerStamp;
  double triggerOffsetMs = 0;  // trigger after the first sample

  // One element per sample: its time in ms from the trigger.
  QVector<double> timeMs;
  // Per analog channel, per sample: the value in primary units
  // (amperes for our files).
  QVector<QVector<double>> values;
  // Per digital channel, per sample: 0 or 1.
  QVector<QByteArray> states;

  int sampleCount() const { return int(timeMs.size()); }
};

struct LoadResult {
  Recording recording;
  QString error;  // empty when the pair was read
  bool ok() const { return error.isEmpty(); }
};

// The largest files and counts taken; anything larger is refused.
constexpr qint64 kMaxCfgBytes = 1 << 20;
constexpr qint64 kMaxDatBytes = qint64(256) << 20;
constexpr int kMaxChannels = 999;
constexpr qint64 kMaxValues = 40'000'000;  // samples × channels

// Reads a pair from its bytes.
LoadResult ParseComtrade(const QByteArray& cfg, const QByteArray& dat);

// Reads `cfgPath` and the data file beside it (.dat, or .DAT).
LoadResult LoadComtrade(const QString& cfgPath);

}  // namespace vmk::oscview
