#include "params/read_params.h"

#include <iterator>

#include "device/device_client.h"
#include "device/session.h"
#include "device/setup_words.h"
#include "extlib/registers.h"
#include "model/text_grid.h"
#include "params/catalogue.h"

namespace vmk {

namespace {

// The last Grid1 row each parameter block fills, in reading order: the
// identity of the device and its transformers, the indicators to the
// recorder heading, the recorder times, the recorder channels.
constexpr int kLastRowOf[] = {8, 43, 45, 61};
static_assert(std::size(kLastRowOf) == std::size(reg::kParamBlocks));

// Lays out rows [from, to] afresh and fills them from `words`; gives the
// data rows. Only the rows of a block that was read change: a reading that
// fails later leaves the rest of the grid as it stood, edits and marks
// included.
QVector<ParamRow> fillRows(TextGrid& grid, int tag, int from, int to, int base,
                           const RegisterWords& words, const QLocale& locale) {
  const QVector<RowSpec>& rows = RowsOf(tag);
  QVector<ParamRow> filled;
  for (int i = from; i <= to; ++i) {
    const RowSpec& spec = rows[i];
    for (int column = 0; column < grid.columnCount(); ++column) grid.setCell(column, i, QString());
    LayOutRow(grid, spec, i, base);
    if (spec.kind == RowKind::Heading) continue;
    ParamRow row{tag, i, spec.caption, {}, {}, {}};
    if (spec.kind != RowKind::Password) {
      const int r = base + spec.reg;
      row.registers << r;
      row.words << words.at(r);
      if (spec.isTwoRegister()) {
        row.registers << r + 1;
        row.words << words.at(r + 1);
      }
    }
    row.text = TextFromWords(spec, words.at(base + spec.reg), words.at(base + spec.reg + 1),
                             locale);
    grid.setCell(grid::kValue, i, row.text);
    filled << row;
  }
  return filled;
}

}  // namespace

ParamReadResult readParameters(Session& session, int group, TextGrid& grid1, TextGrid& grdSett,
                               SetupFields& setup, const QLocale& locale) {
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
      StoreSetupWords(setup, words.value);
      result.setupRead = true;
    }
    result.parameters << fillRows(grid1, 1, fromRow, kLastRowOf[b], 0, words.value, locale);
    fromRow = kLastRowOf[b] + 1;
  }

  const Result<RegisterWords> words = device.readRegisters(reg::groupBlock(result.group));
  if (!words) {
    result.outcome = words.outcome;
    return result;
  }
  result.settings = fillRows(grdSett, 2, 0, int(SettingRows().size()) - 1,
                             GroupBase(result.group), words.value, locale);
  return result;
}

}  // namespace vmk
