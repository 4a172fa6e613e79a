#pragma once
// A COMTRADE pair that follows IEEE C37.111-1999 strictly, for readers
// that misread the device maker's form: no commas inside fields, analog
// lines with all 13 fields giving primary amperes, digital lines with 5,
// four-digit years and six-digit fractions, the time-multiplier line, and
// only printable ASCII (Cyrillic names transliterated). docs/comtrade.md
// says what each field holds and why.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>

#include "device/tvmk.h"
#include "journals/osc_samples.h"

namespace vmk::osc {

struct StandardHeader {
  QString deviceName;       // TVMK Name
  int serialNumber = 0;
  QString versionText;      // VersionText of the version word
  int phaseRatio = 1;       // as the alarm row carries them
  int earthRatio = 1;
  SetupFields setup;        // the transformer values
  QDateTime alarmTime;      // the first sample's moment
  std::array<QString, kDigitalChannels> channelNames;  // may hold Cyrillic
};

// Printable ASCII of a text: Cyrillic letters by the table of
// docs/comtrade.md, "№" as "N", commas as ";", other characters outside
// 0x20..0x7E as "?".
QString transliterate(const QString& text);

// The value written for an analog sample: the device's 16-bit sample with
// its sign rule, times 1.5 (the half truncated towards zero), as in the
// maker's data file.
int analogValue(std::uint16_t sample);

QStringList standardCfgLines(const StandardHeader& header, const SampleTable& table);
QByteArray standardCfgFile(const StandardHeader& header, const SampleTable& table);
// Lines "n,timestamp,IA,IB,IC,IN,D1..D16" with plain integers, CR LF.
QByteArray standardDataFile(const SampleTable& table);

}  // namespace vmk::osc
