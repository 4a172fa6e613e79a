// The oscillogram viewer's COMTRADE reader: a configuration file and a
// data file, split at the first 0x1D byte of the input. A pair it takes
// must hold as many values as it says it has samples and channels.

#include <QByteArray>

#include "oscview/comtrade_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  const qsizetype split = input.indexOf('\x1d');
  const QByteArray cfg = split < 0 ? input : input.left(split);
  const QByteArray dat = split < 0 ? QByteArray() : input.mid(split + 1);
  const vmk::oscview::LoadResult r = vmk::oscview::ParseComtrade(cfg, dat);
  if (!r.ok()) return 0;
  const vmk::oscview::Recording& rec = r.recording;
  if (rec.values.size() != rec.analog.size() || rec.states.size() != rec.digital.size()) __builtin_trap();
  for (const auto& v : rec.values)
    if (v.size() != rec.sampleCount()) __builtin_trap();
  for (const auto& s : rec.states)
    if (s.size() != rec.sampleCount()) __builtin_trap();
  return 0;
}
