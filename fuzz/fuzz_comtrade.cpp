// The oscillogram viewer's COMTRADE reader: a configuration file and a
// data file, split at the first 0x1D byte of the input; or, for an input
// that begins with "--- file type", a 2013 single file (.cff). A recording
// it takes must hold as many values as it says it has samples and
// channels, times that do not go back, and every sample readable; its
// summary and the analysis at the trigger and at the last sample (the
// cycle's length comes from the file's rates and line frequency) must
// come out without a fault.

#include <QByteArray>
#include <cmath>

#include "oscview/comtrade_file.h"
#include "oscview/osc_analysis.h"
#include "oscview/osc_report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  vmk::oscview::LoadResult r;
  if (input.startsWith("--- file type")) {
    r = vmk::oscview::parseCombined(input);
  } else {
    const qsizetype split = input.indexOf('\x1d');
    const QByteArray cfg = split < 0 ? input : input.left(split);
    const QByteArray dat = split < 0 ? QByteArray() : input.mid(split + 1);
    r = vmk::oscview::parseComtrade(cfg, dat);
  }
  if (!r.ok()) return 0;
  const vmk::oscview::Recording& rec = r.recording;
  if (rec.values.size() != rec.analog.size() || rec.states.size() != rec.digital.size()) __builtin_trap();
  for (const auto& v : rec.values)
    if (v.size() != rec.sampleCount()) __builtin_trap();
  for (const auto& s : rec.states)
    if (s.size() != rec.sampleCount()) __builtin_trap();
  double sum = 0;
  for (int s = 0; s < rec.sampleCount(); ++s) {
    if (s > 0 && rec.timeMs(s) < rec.timeMs(s - 1)) __builtin_trap();
    if (rec.times.nearest(rec.timeMs(s)) < 0) __builtin_trap();
    for (int c = 0; c < rec.values.size(); ++c) sum += std::isnan(rec.value(c, s)) ? 0 : 1;
    for (int c = 0; c < rec.states.size(); ++c) sum += rec.state(c, s);
  }
  const int reference = vmk::oscview::defaultReference(rec);
  const QList<vmk::oscview::PhaseGroup> groups = vmk::oscview::phaseGroups(rec);
  QString text = vmk::oscview::infoText(rec, QStringLiteral("f"));
  for (double ms : {0.0, rec.sampleCount() ? rec.timeMs(rec.sampleCount() - 1) : 0.0})
    text += vmk::oscview::rowsAsText(vmk::oscview::analysisRows(rec, vmk::oscview::analyseAt(rec, ms, reference, groups)));
  return sum < 0 || text.isEmpty();
}
