#include "params/read_params.h"

#include <iterator>

#include "device/device_client.h"
#include "device/session.h"
#include "device/setup_words.h"
#include "extlib/registers.h"
#include "params/catalogue.h"
#include "params/param_set.h"

namespace vmk {

namespace {

// The last parameter row each block fills, in reading order: the identity
// of the device and its transformers, the indicators to the recorder
// heading, the recorder times, the recorder channels.
constexpr int kLastRowOf[] = {8, 43, 45, 61};
static_assert(std::size(kLastRowOf) == std::size(reg::kParamBlocks));

// Puts the words of rows [from, to] into the set, unmarked; gives the data
// rows. Only the rows of a block that was read change: a reading that
// fails later leaves the rest of the set as it stood, edits and marks
// included.
QVector<ParamRow> fillRows(ParamSet& set, int tag, int from, int to, const RegisterWords& words,
                           const QLocale& locale) {
  const QVector<RowSpec>& rows = rowsOf(tag);
  QVector<ParamRow> filled;
  for (int i = from; i <= to; ++i) {
    const RowSpec& spec = rows[i];
    set.setMarked(tag, i, false);
    if (spec.kind == RowKind::Heading) {
      set.setValue(tag, i, RowValue());
      continue;
    }
    const int r = set.registerOf(tag, i);
    const RowValue value = RowValue::read(words.at(r), words.at(r + 1));
    set.setValue(tag, i, value);
    ParamRow row{tag, i, spec.caption, value.text(spec, locale), {}, {}};
    if (spec.kind != RowKind::Password) {
      row.registers << r;
      row.words << words.at(r);
      if (spec.isTwoRegister()) {
        row.registers << r + 1;
        row.words << words.at(r + 1);
      }
    }
    filled << row;
  }
  return filled;
}

}  // namespace

ParamReadResult readParameters(Session& session, int group, ParamSet& set, SetupFields& setup,
                               const QLocale& locale) {
  ParamReadResult result;
  result.group = group == 2 ? 2 : 1;
  PortBracket bracket(session);
  DeviceClient device(session);

  int fromRow = 0;
  for (std::size_t b = 0; b < std::size(reg::kParamBlocks); ++b) {
    const Result<RegisterWords> words = device.readRegisters(reg::kParamBlocks[b]);
    if (!words) {
      result.outcome = words.outcome;
      return result;
    }
    if (b == 0) {
      storeSetupWords(setup, words.value);
      result.setupRead = true;
      set.setLocale(locale);
    }
    result.parameters << fillRows(set, 1, fromRow, kLastRowOf[b], words.value, locale);
    fromRow = kLastRowOf[b] + 1;
  }

  const Result<RegisterWords> words = device.readRegisters(reg::groupBlock(result.group));
  if (!words) {
    result.outcome = words.outcome;
    return result;
  }
  set.clearSettings(result.group);
  result.settings = fillRows(set, 2, 0, ParamSet::rowCount(2) - 1, words.value, locale);
  return result;
}

}  // namespace vmk
