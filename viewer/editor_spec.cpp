#include "viewer/editor_spec.h"

#include "extlib/registers.h"
#include "ranges/value_ranges.h"
#include "viewer/signal_names.h"

namespace vmk::view {

namespace {

// The names of a bit set or a list: its own, or those of its signal list.
// A recorder channel's bits stand for the functions in another order than
// the list's.
QStringList namesOf(const ranges::ValueRange& r, int count) {
  if (!r.names.isEmpty()) return r.names;
  QStringList names;
  for (int i = 0; i < count; ++i) {
    const bool channelBit = r.editor == ranges::Editor::BitSet && r.list == kRecorderChannels;
    names << signalName(r.list, channelBit ? reg::channelItemOfBit(i) : i);
  }
  return names;
}

}  // namespace

EditorSpec specForRegister(std::uint16_t reg) {
  EditorSpec s;
  const std::optional<ranges::ValueRange> range = ranges::rangeOf(reg);
  if (!range) return s;  // a plain number 0..65535
  const ranges::ValueRange& r = *range;
  s.min = r.min;
  s.max = r.max;
  s.unit = r.unit;
  switch (r.editor) {
    case ranges::Editor::Number:
      s.kind = EditorSpec::Number;
      s.step = r.step;
      break;
    case ranges::Editor::Decimal:
      s.kind = EditorSpec::Decimal;
      s.scale = r.scale;
      s.decimals = r.decimals();
      s.earthCurrent = r.earthCurrent;
      break;
    case ranges::Editor::BitSet:
      s.kind = EditorSpec::BitSet;
      s.bitNames = namesOf(r, r.bits);
      break;
    case ranges::Editor::Choice:
      s.kind = EditorSpec::Choice;
      s.items = namesOf(r, int(r.max + 1));
      break;
  }
  return s;
}

}  // namespace vmk::view
