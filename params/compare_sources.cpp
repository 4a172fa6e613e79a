#include "params/compare_sources.h"

#include <QFileInfo>

#include "device/device_client.h"
#include "device/session.h"
#include "device/tvmk.h"
#include "extlib/registers.h"
#include "params/catalogue.h"
#include "params/compare_messages.h"
#include "params/read_params.h"
#include "params/settings_file.h"

namespace vmk {

namespace {

CompareSide groupSide(int group, const RegisterWords& words, const QLocale& locale) {
  CompareSide side{msg::compare::kGroup.arg(group), ParamSet(group)};
  side.values.setLocale(locale);
  const QVector<RowSpec>& rows = settingRows();
  for (int i = 0; i < rows.size(); ++i) {
    if (!rows[i].isData()) continue;
    const int r = side.values.registerOf(2, i);
    side.values.setValue(2, i, RowValue::read(words.at(r), words.at(r + 1)));
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
  CompareSide side{QString(), ParamSet(group)};
  SetupFields setup = session.vmk.setup;
  const ParamReadResult read = readParameters(session, group, side.values, setup, locale);
  if (!read.ok()) return Result<CompareSide>::failed(read.outcome);
  side.name = msg::compare::kDeviceGroup.arg(read.group);
  return Result<CompareSide>::done(side);
}

FileSide readFileSide(const QString& path) {
  FileSide out;
  // A name without ".ust" is refused here with the reason: comparing is
  // asked for by name, not picked in the file dialog.
  if (QFileInfo(path).suffix() != QLatin1String("ust")) {
    out.outcome = Outcome::InputRefused;
    out.message = msg::compare::kNotSettingsFile.arg(path);
    return out;
  }
  const SettingsFileResult loaded = loadSettingsFile(path, out.side.values, MarkLoaded::FileRows);
  out.outcome = loaded.outcome;
  out.message = loaded.message;
  if (!loaded.ok()) return out;
  out.side.name = QFileInfo(path).fileName();
  return out;
}

}  // namespace vmk
