#include "params/read_params.h"

#include "device/codecs.h"
#include "shell/workspace.h"
#include "extlib/charset.h"
#include "params/catalogue.h"
#include "params/messages.h"

namespace vmk {

namespace {

struct Block {
  int first;
  int count;
  int fromRow;  // rows of the grid this block fills
  int toRow;
};

// The parameter blocks, in reading order.
constexpr Block kParamBlocks[] = {
    {64, 20, 0, 8},
    {96, 44, 9, 43},
    {140, 4, 44, 45},
    {192, 32, 46, 61},
};
constexpr int kSettingCount = 38;  // offsets 0..37

bool readBlock(Workspace& ws, int first, int count, ReplyFrame& reply) {
  Session& s = ws.session;
  s.modbus.SetQuery(s.link(), s.DeviceAddress, 3, std::uint16_t(first), std::uint16_t(count),
                    reply);
  return reply.length() == expectedReplyLength(count);
}

// Writes caption, register and value of rows [from, to] from a good reply
// whose word 0 is register `first`.
void fillRows(TextGrid& grid, const QVector<RowSpec>& rows, int from, int to, int base,
              int first, const ReplyFrame& reply, const QLocale& locale) {
  for (int i = from; i <= to; ++i) {
    const RowSpec& row = rows[i];
    LayOutRow(grid, row, i, base);
    if (row.kind == RowKind::Heading) continue;
    const int k = row.kind == RowKind::Password ? 0 : base + row.reg - first;
    grid.setCell(grid::kValue, i,
                 TextFromWords(row, GetRegWord(reply, k), GetRegWord(reply, k + 1), locale));
  }
}

// The setup fields carried by registers 64..83; the device clock is not
// among them and stays as it was.
void storeSetupFields(SetupFields& setup, const ReplyFrame& reply) {
  auto word = [&](int k) { return GetRegWord(reply, k); };
  setup.NetAddress = std::uint8_t(word(0) & 0xFF);
  setup.InterfaceWord = word(1);
  setup.DevicePassword = cp1251::decodeChar(word(2) >> 8) + cp1251::decodeChar(word(2) & 0xFF) +
                         cp1251::decodeChar(word(3) >> 8) + cp1251::decodeChar(word(3) & 0xFF);
  setup.ActiveGroup = std::uint8_t((word(4) & 1) + 1);
  setup.GroupChangeMode = std::uint8_t(word(5) & 1);
  setup.CtPrimary = word(16);
  setup.CtSecondary = word(17);
  setup.EarthCtPrimary = word(18);
  setup.EarthCtSecondary = word(19);
}

}  // namespace

bool ActGetParSetExecute(Workspace& ws, const QLocale& locale) {
  PortBracket bracket(ws.session);
  ReplyFrame reply;
  const auto& params = ParamRows();
  for (const Block& b : kParamBlocks) {
    if (!readBlock(ws, b.first, b.count, reply)) {
      ws.prompts.error(kLinkError);
      return false;
    }
    if (b.fromRow == 0) {
      ClearTab(ws.Grid1);
      storeSetupFields(ws.session.vmk.setup, reply);
    }
    fillRows(ws.Grid1, params, b.fromRow, b.toRow, 0, b.first, reply, locale);
  }

  const int base = GroupBase(ws.SettingGroup);
  if (!readBlock(ws, base, kSettingCount, reply)) {
    ws.prompts.error(kLinkError);
    return false;
  }
  ClearTab(ws.grdSett);
  const auto& settings = SettingRows();
  fillRows(ws.grdSett, settings, 0, int(settings.size()) - 1, base, base, reply, locale);
  return true;
}

}  // namespace vmk
