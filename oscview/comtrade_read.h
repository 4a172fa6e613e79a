#pragma once
// The reader's inner parts, shared by comtrade_file.cpp (texts, the .cff
// sections, the files), comtrade_cfg_read.cpp (the configuration) and
// comtrade_dat_read.cpp (the data). Not for use outside the reader.

#include <QStringList>
#include <vector>

#include "oscview/comtrade_file.h"

namespace vmk::oscview::detail {

// A refusal: the text the viewer shows.
struct Refused {
  QString text;
};
[[noreturn]] inline void refuse(const QString& text) { throw Refused{text}; }

// What the data file needs of the configuration.
struct Layout {
  int analog = 0;
  int digital = 0;
  std::vector<double> hz;      // per rate; empty in the time-stamp form
  std::vector<qint64> ends;    // last sample of each rate (from 1)
  qint64 declared = 0;         // samples the configuration names; 0: unknown
  QString form;                // ASCII, BINARY, BINARY32, FLOAT32
};

// The configuration's text: UTF-8 after a byte-order mark or when the bytes
// are valid UTF-8, else Windows-1251 when they hold Cyrillic words (runs of
// letters 0xC0..0xFF), else Latin-1.
QString decodeText(QByteArrayView bytes);

// Reads the configuration's lines into `rec`; refusals begin with `name`.
Layout parseCfgLines(const QStringList& lines, const QString& name, Recording& rec);

// Reads the data into `rec`'s samples and times.
void parseData(QByteArrayView dat, const Layout& lay, const QString& name, Recording& rec,
               const Progress& progress);

}  // namespace vmk::oscview::detail
