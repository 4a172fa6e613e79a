#include "params/compare_sources.h"

#include <QFileInfo>

#include "device/device_client.h"
#include "device/session.h"
#include "device/tvmk.h"
#include "extlib/registers.h"
#include "model/text_grid.h"
#include "params/catalogue.h"
#include "params/compare_messages.h"
#include "params/read_params.h"
#include "params/settings_file.h"

namespace vmk {

namespace {

CompareSide groupSide(int group, const RegisterWords& words, const QLocale& locale) {
  CompareSide side;
  side.name = msg::compare::kGroup.arg(group);
  const int base = GroupBase(group);
  const QVector<RowSpec>& rows = SettingRows();
  for (int i = 0; i < rows.size(); ++i) {
    const RowSpec& spec = rows[i];
    if (!spec.isData()) continue;
    side.set(2, i, TextFromWords(spec, words.at(base + spec.reg), words.at(base + spec.reg + 1),
                                 locale));
  }
  return side;
}

}  // namespace

Result<std::pair<CompareSide, CompareSide>> readDeviceGroups(Session& session,
                                                             const QLocale& locale) {
  PortBracket bracket(session);
  DeviceClient device(session);
  const Result<RegisterWords> first = device.readRegisters(reg::groupBlock(1));
  if (!first) return Result<std::pair<CompareSide, CompareSide>>::failed(first.outcome);
  const Result<RegisterWords> second = device.readRegisters(reg::groupBlock(2));
  if (!second) return Result<std::pair<CompareSide, CompareSide>>::failed(second.outcome);
  return Result<std::pair<CompareSide, CompareSide>>::done(
      {groupSide(1, first.value, locale), groupSide(2, second.value, locale)});
}

Result<CompareSide> readDeviceSide(Session& session, int group, const QLocale& locale) {
  TextGrid grid1(62, 5), grdSett(32, 5);
  FillParamList(grid1);
  FillUstList(grdSett, group);
  SetupFields setup = session.vmk.setup;
  const ParamReadResult read = readParameters(session, group, grid1, grdSett, setup, locale);
  if (!read.ok()) return Result<CompareSide>::failed(read.outcome);
  CompareSide side;
  side.name = msg::compare::kDeviceGroup.arg(read.group);
  for (const QVector<ParamRow>* rows : {&read.parameters, &read.settings})
    for (const ParamRow& r : *rows)
      if (!r.registers.isEmpty()) side.set(r.grid, r.row, r.text);
  return Result<CompareSide>::done(side);
}

FileSide readFileSide(const QString& path) {
  TextGrid grid1(62, 5), grdSett(32, 5);
  FillParamList(grid1);
  FillUstList(grdSett, 1);
  FileSide out;
  // A name without ".ust" is refused here with the reason: comparing is
  // asked for by name, not picked in the file dialog.
  if (QFileInfo(path).suffix() != QLatin1String("ust")) {
    out.outcome = Outcome::InputRefused;
    out.message = msg::compare::kNotSettingsFile.arg(path);
    return out;
  }
  const SettingsFileResult loaded = loadSettingsFile(path, grid1, grdSett);
  out.outcome = loaded.outcome;
  out.message = loaded.message;
  if (!loaded.ok()) return out;
  out.side.name = QFileInfo(path).fileName();
  for (const FileEntry& e : loaded.entries) out.side.set(e.grid, e.row, e.text);
  return out;
}

}  // namespace vmk
