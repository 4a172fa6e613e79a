#include "params/write_params.h"

#include <QStringList>

#include "device/codecs.h"
#include "shell/workspace.h"
#include "extlib/transport_error.h"
#include "params/catalogue.h"
#include "params/messages.h"
#include "service/password_check.h"

namespace vmk {

namespace {

struct PlannedWrite {
  TextGrid* grid;
  int row;
  std::uint16_t reg;
  QVector<std::uint16_t> words;
};

// Converts every marked row of one grid; refused rows are described in
// `problems`.
void plan(TextGrid& grid, const QVector<RowSpec>& rows, const QLocale& locale,
          QVector<PlannedWrite>& writes, QStringList& problems) {
  for (int i = 0; i < grid.rowCount(); ++i) {
    if (grid.cell(grid::kMark, i) != QLatin1String("*")) continue;
    const QString value = grid.cell(grid::kValue, i);
    QString caption = grid.cell(grid::kCaption, i);
    if (i < rows.size() && caption.isEmpty()) caption = rows[i].caption;
    auto refuse = [&](const QString& why) {
      problems << QStringLiteral("«%1» = «%2»: %3").arg(caption, value, why);
    };
    bool regOk = false;
    const uint reg = grid.cell(grid::kRegister, i).toUInt(&regOk);
    if (i >= rows.size() || !rows[i].isData()) {
      refuse(QStringLiteral("строка не записывается в устройство"));
      continue;
    }
    if (!regOk || reg + (rows[i].isTwoRegister() ? 1 : 0) > 0xFFFF) {
      refuse(QStringLiteral("нет номера регистра (прочитайте параметры из устройства)"));
      continue;
    }
    const WriteWords w = WordsFromText(rows[i], value, locale);
    if (!w.ok()) {
      refuse(w.why);
      continue;
    }
    writes.append({&grid, i, std::uint16_t(reg), w.words});
  }
}

}  // namespace

bool actSetParametrExecute(Workspace& ws, const QLocale& locale) {
  if (!CheckPassword(ws.prompts, ws.session.vmk.setup.DevicePassword, PasswordForm::Strict))
    return false;

  QVector<PlannedWrite> writes;
  QStringList problems;
  plan(ws.Grid1, ParamRows(), locale, writes, problems);
  plan(ws.grdSett, SettingRows(), locale, writes, problems);
  if (!problems.isEmpty()) {
    ws.prompts.error(QStringLiteral("Запись отменена, в устройство ничего не записано.\n"
                                    "Не могут быть записаны значения:\n") +
                     problems.join(u'\n'));
    return false;
  }

  PortBracket bracket(ws.session);
  Session& s = ws.session;
  try {
    for (const PlannedWrite& w : writes) {
      bool answered = true;
      for (int k = 0; k < w.words.size(); ++k) {
        ReplyFrame reply;
        s.modbus.WriteWord(s.link(), s.DeviceAddress, std::uint16_t(w.reg + k), w.words[k], reply);
        answered = answered && !reply.isEmpty();
      }
      if (answered) w.grid->setCell(grid::kMark, w.row, QString());
    }
    ReplyFrame reply;
    constexpr int kSetupCount = 23;
    s.modbus.SetQuery(s.link(), s.DeviceAddress, 3, 64, kSetupCount, reply);
    if (reply.length() != expectedReplyLength(kSetupCount)) {
      ws.prompts.error(kLinkError);
      return false;
    }
    s.vmk.setup = DecodeSetup(reply);
    ws.ParamsModified = false;
    return true;
  } catch (const TransportError&) {
    ws.prompts.error(kLinkError);
    return false;
  }
}

}  // namespace vmk
