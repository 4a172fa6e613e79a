// Parameters and settings: the commands of the window and of vmkctl.

#include "shell/params_commands.h"

#include "model/messages.h"
#include "params/catalogue.h"
#include "params/read_params.h"
#include "params/settings_file.h"
#include "params/write_params.h"
#include "service/password_check.h"
#include "shell/command_registry.h"
#include "shell/service_commands.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

// The box of an operation that the device or the line let down.
bool showsLinkError(Outcome o) { return isLinkFailure(o) || o == Outcome::DeviceRefused; }

}  // namespace

EditModels editModels(Workspace& ws) {
  return EditModels{ws.Grid1, ws.grdSett, ws.status, ws.ParamsModified, ws.session.vmk.setup};
}

bool ActGetParSetExecute(Workspace& ws, const QLocale& locale) {
  const ParamReadResult read = readParameters(ws.session, ws.SettingGroup, ws.Grid1, ws.grdSett,
                                              ws.session.vmk.setup, locale);
  if (!read.ok()) ws.prompts.error(msg::kLinkError);
  return read.ok();
}

bool actSetParametrExecute(Workspace& ws, const QLocale& locale) {
  Session& s = ws.session;
  const Result<QString> password =
      CheckPassword(ws.prompts, s.vmk.setup.DevicePassword, PasswordForm::Strict);
  const ParamWriteResult written =
      writeParameters(s, password, ws.Grid1, ws.grdSett, s.vmk.setup, locale);
  if (written.outcome == Outcome::InputRefused) ws.prompts.error(refusalMessage(written));
  else if (showsLinkError(written.outcome)) ws.prompts.error(msg::kLinkError);
  if (written.ok()) ws.ParamsModified = false;
  return written.ok();
}

bool ActSaveFileExecute(Workspace& ws) {
  const std::optional<QString> path = ws.prompts.saveFile(settingsFileDialog());
  if (!path || path->isEmpty()) return false;
  const SettingsFileResult saved = saveSettingsFile(*path, ws.Grid1, ws.grdSett);
  if (!saved.message.isEmpty()) ws.prompts.error(saved.message);
  return saved.ok();
}

bool ActOpenFileExecute(Workspace& ws) {
  const std::optional<QString> path = ws.prompts.openFile(settingsFileDialog());
  if (!path || path->isEmpty()) return false;
  const SettingsFileResult loaded = loadSettingsFile(*path, ws.Grid1, ws.grdSett);
  if (!loaded.message.isEmpty()) ws.prompts.error(loaded.message);
  return loaded.ok();
}

void rbGroup2Click(Workspace& ws, int group) {
  ws.SettingGroup = rbGroup2Click(ws.grdSett, group);
}

void Grid1SelectCell(Workspace& ws, int gridTag, int row) {
  ws.paramEditing.Grid1SelectCell(gridTag, row);
}

void Grid1DblClick(Workspace& ws, int gridTag, int row) {
  ws.paramEditing.Grid1SelectCell(gridTag, row);
  if (ws.paramEditing.Grid1DblClick(gridTag) == EditAnswer::ChangePassword)
    actChangePassExecute(ws);
}

void declareParamsCommands(CommandRegistry& registry) {
  auto window = [&registry](const char* name, std::function<void(Workspace&, const Trigger&)> run,
                            bool deviceOperation = true) {
    registry.add(WindowCommand{QString::fromLatin1(name), std::move(run), deviceOperation});
  };
  window("ActGetParSet", [](Workspace& ws, const Trigger&) { ActGetParSetExecute(ws); });
  window("actSetParametr", [](Workspace& ws, const Trigger&) { actSetParametrExecute(ws); });
  window("ActOpenFile", [](Workspace& ws, const Trigger&) { ActOpenFileExecute(ws); });
  window("ActSaveFile", [](Workspace& ws, const Trigger&) { ActSaveFileExecute(ws); });
  // Both group radio buttons; the tag is the group now selected.
  window("rbGroup2Click", [](Workspace& ws, const Trigger& t) { rbGroup2Click(ws, t.tag); });
  // Both grids; the tag is the grid (1 Grid1, 2 grdSett), the row the row.
  window("Grid1DblClick",
         [](Workspace& ws, const Trigger& t) { Grid1DblClick(ws, t.tag, t.row); });
  window("Grid1SelectCell",
         [](Workspace& ws, const Trigger& t) { Grid1SelectCell(ws, t.tag, t.row); }, false);
}

}  // namespace vmk
