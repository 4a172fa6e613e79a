// Parameters and settings: the commands of the window and of vmkctl.

#include "shell/params_commands.h"

#include <QJsonArray>
#include <QJsonObject>

#include "device/session.h"
#include "link/messages.h"
#include "model/message_log.h"
#include "model/messages.h"
#include "params/catalogue.h"
#include "params/messages.h"
#include "params/param_set.h"
#include "params/range_check.h"
#include "params/read_params.h"
#include "params/settings_file.h"
#include "params/write_params.h"
#include "service/password_check.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/param_row_json.h"
#include "shell/cli_connect.h"
#include "shell/service_commands.h"
#include "shell/settings_file_arg.h"
#include "shell/viewer_names.h"
#include "shell/windows.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

// The box of an operation that the device or the line let down.
bool showsLinkError(Outcome o) { return isLinkFailure(o) || o == Outcome::DeviceRefused; }

// ---- vmkctl ----------------------------------------------------------------

const QString kGetHelp = QStringLiteral(
    "vmkctl [global options] params get [--group 1|2] [-o FILE.ust]\n"
    "\n"
    "Connects, reads the parameters and the settings of the group (default 1) and\n"
    "prints \"caption<TAB>value\" rows of both grids, or writes them to a settings\n"
    "file (-o; the extension must be .ust). With --json, each row gives its\n"
    "caption, its text, its register(s) and the raw word(s) read.\n");

const QString kSetHelp = QStringLiteral(
    "vmkctl [global options] params set FILE.ust --password P [--group 1|2]\n"
    "                                 [--allow-address-change] [--allow-out-of-range]\n"
    "vmkctl [global options] params set FILE.ust --dry-run [--password P] [...]\n"
    "\n"
    "Loads the settings file into both grids (the settings go to the chosen group\n"
    "whatever group they were saved from), connects, checks every row before\n"
    "anything is sent, asks the device password (--password), writes every row\n"
    "the file holds (a key it lacks leaves the device's value as it is) and\n"
    "reads every register back. It prints each written register that holds\n"
    "the value sent (written), the rows left unanswered (unanswered, exit code 1),\n"
    "the rows whose read-back differs (not-held, with what was read; exit code 1)\n"
    "and the rows that stand for no value and keep the\n"
    "device's own (kept: an empty \"Тип характеристики\", a toggle text that begins\n"
    "with neither of its letters). A file without any parameter or setting, or a\n"
    "row that does not convert or does not fit its register, is refused with exit\n"
    "code 3 and nothing is written. So are values outside the value editor's\n"
    "ranges (listed with their ranges), unless --allow-out-of-range is given;\n"
    "a value the device holds now is its own and is never refused as such. A\n"
    "file whose device address differs from the device's own is refused too,\n"
    "unless --allow-address-change is given: the device then takes the file's\n"
    "address, so on a bus make sure no other device has it.\n"
    "\n"
    "With --dry-run nothing is written: after the same checks, the registers of\n"
    "the rows are read once and every row the write would send is printed as\n"
    "\"page<TAB>section<TAB>caption<TAB>device value<TAB>new value<TAB>unit<TAB>state\",\n"
    "the state \"без изменений\" where the device holds the new value already and\n"
    "\"изменится\" otherwise (--json: the rows with their registers and words).\n"
    "The password is checked only when --password is given. Exit code 0.\n");

int groupOf(const CliCall& call) {
  const QString g = call.option(QStringLiteral("--group")).value_or(QStringLiteral("1"));
  if (g == QLatin1String("1")) return 1;
  if (g == QLatin1String("2")) return 2;
  throw UsageError{QStringLiteral("--group is 1 or 2")};
}

Outcome paramsGet(CliCall& call) {
  const int group = groupOf(call);
  if (!call.args.isEmpty())
    throw UsageError{QStringLiteral("params get takes no file; write one with -o FILE.ust")};
  const std::optional<QString> file = call.option(QStringLiteral("-o"));
  if (file && !file->endsWith(QLatin1String(".ust")))
    throw UsageError{QStringLiteral("-o needs a file name ending in .ust")};

  const Outcome connected = connectForCommand(call);
  if (connected != Outcome::Done) return connected;
  ParamSet set(group);
  const ParamReadResult read = readParameters(call.session, group, set, call.session.vmk.setup);
  if (!read.ok()) {
    call.prompts.error(msg::kLinkError);
    return read.outcome;
  }
  call.data.insert(QStringLiteral("group"), group);
  QJsonArray parameters, settings;
  for (const ParamRow& r : read.parameters) parameters.append(paramRowJson(r));
  for (const ParamRow& r : read.settings) settings.append(paramRowJson(r));
  call.data.insert(QStringLiteral("parameters"), parameters);
  call.data.insert(QStringLiteral("settings"), settings);
  if (file) {
    const SettingsFileResult saved = saveSettingsFile(*file, set);
    if (!saved.ok()) {
      call.prompts.error(saved.message);
      return saved.outcome;
    }
    call.text << *file;
    call.data.insert(QStringLiteral("file"), *file);
    return Outcome::Done;
  }
  for (const QVector<ParamRow>* rows : {&read.parameters, &read.settings})
    for (const ParamRow& r : *rows) call.text << r.caption + QLatin1Char('\t') + r.text;
  return Outcome::Done;
}

// The device address a settings file sets, as the word it writes; nothing
// when the file has no address or one that does not convert.
std::optional<int> fileAddress(const SettingsFileResult& loaded, QString& text) {
  for (const FileEntry& e : loaded.entries) {
    if (e.grid != 1 || paramRows()[e.row].kind != RowKind::LowByte) continue;
    text = e.text;
    if (!e.words.ok()) return std::nullopt;
    return e.words.words.first() & 0xFF;
  }
  return std::nullopt;
}

QJsonObject previewJson(const PreviewRow& p, const BitNames& names) {
  QJsonObject o = paramRowJson(p.row);
  o.insert(QStringLiteral("page"), p.page);
  o.insert(QStringLiteral("section"), p.section);
  o.insert(QStringLiteral("device"), p.deviceText ? QJsonValue(*p.deviceText) : QJsonValue());
  o.insert(QStringLiteral("deviceWords"), jsonNumbers(p.deviceWords));
  o.insert(QStringLiteral("unit"), p.unit);
  o.insert(QStringLiteral("unchanged"), p.unchanged);
  o.insert(QStringLiteral("bits"), previewBits(p, names));
  return o;
}

Outcome paramsSet(CliCall& call) {
  const int group = groupOf(call);
  // A dry run reads and writes nothing: the password is checked only when
  // it is given.
  const bool dryRun = call.flag(QStringLiteral("--dry-run"));
  if (!dryRun && !call.option(QStringLiteral("--password")))
    throw UsageError{QStringLiteral("params set needs --password")};
  if (call.args.size() != 1) throw UsageError{QStringLiteral("params set takes one FILE.ust")};
  // The file first: one that cannot be used sends nothing at all. Only the
  // rows it holds are written; a key it lacks leaves the device's value.
  ParamSet set(group);
  const SettingsFileResult loaded = loadSettingsArg(call, call.args.first(), set);
  if (!loaded.ok()) return loaded.outcome;

  const Outcome connected = connectForCommand(call);
  if (connected != Outcome::Done) return connected;
  SetupFields& setup = call.session.vmk.setup;
  // A file copied from another device carries that device's address: on a
  // bus, writing it would put two devices at one address. A script must ask
  // for that change explicitly.
  QString addressText;
  const std::optional<int> address = fileAddress(loaded, addressText);
  // A file without an address, or with one that does not convert, leaves
  // the refusal to the check of every row.
  if (address && *address != int(setup.NetAddress) &&
      !call.flag(QStringLiteral("--allow-address-change"))) {
    call.prompts.error(QStringLiteral("Файл задаёт адрес устройства %1, а у устройства адрес %2. "
                                      "Запись отменена (--allow-address-change разрешает смену "
                                      "адреса).")
                           .arg(addressText)
                           .arg(setup.NetAddress));
    return Outcome::InputRefused;
  }

  const Result<QString> password =
      dryRun && !call.option(QStringLiteral("--password"))
          ? Result<QString>::done(QString())
          : CheckPassword(call.prompts, setup.DevicePassword, PasswordForm::Strict);
  // Values outside the editor's ranges are written only when asked for;
  // either way the script's log names them.
  const bool allowOutOfRange = call.flag(QStringLiteral("--allow-out-of-range"));
  auto ask = [&call, allowOutOfRange](const QVector<RangeViolation>& rows) {
    if (allowOutOfRange) call.prompts.warning(kOutOfRange + rangeList(rows));
    return allowOutOfRange;
  };
  // The dry run stops where the window shows the preview.
  PreviewQuestion stopAtPreview;
  if (dryRun) stopAtPreview = [](const WritePreview&) { return false; };
  const ParamWriteResult written =
      writeParameters(call.session, password, set, setup, QLocale(), ask, stopAtPreview);
  if (!password) return password.outcome;
  if (written.previewDeclined) {
    ViewLoader loader(call.programDir);
    const BitNames names = viewerNames(loader);
    QJsonArray rows;
    for (const PreviewRow& p : written.preview.rows) rows.append(previewJson(p, names));
    call.text << previewLines(written.preview, names);
    call.data.insert(QStringLiteral("group"), group);
    call.data.insert(QStringLiteral("preview"), rows);
    call.data.insert(QStringLiteral("changing"), written.preview.changing());
    return Outcome::Done;
  }
  const bool nothingSent =
      written.outcome == Outcome::InputRefused || written.outcome == Outcome::Cancelled;
  QJsonArray writtenRows, unanswered, notHeld, kept, refused, outOfRange;
  for (const RowWriteResult& r : written.rows) {
    if (r.state == RowWrite::Refused) {
      QJsonObject o = paramRowJson(r.row);
      o.insert(QStringLiteral("why"), r.why);
      refused.append(o);
      continue;
    }
    if (nothingSent) continue;
    QString line = QString::number(r.row.registers.value(0)) + QLatin1Char('\t') +
                   r.row.caption + QLatin1Char('\t') + r.row.text;
    switch (r.state) {
      case RowWrite::Written:
        call.text << QStringLiteral("written\t") + line;
        writtenRows.append(paramRowJson(r.row));
        break;
      case RowWrite::NotHeld: {
        QStringList read;
        for (int k = 0; k < r.readBack.size(); ++k)
          read << (r.readBack[k] == ReadBack::NotRead ? QStringLiteral("-")
                                                      : QString::number(r.readValues[k]));
        call.text << QStringLiteral("not-held\t") + line + QLatin1Char('\t') +
                         read.join(QLatin1Char(' '));
        QJsonObject o = paramRowJson(r.row);
        o.insert(QStringLiteral("readBack"), jsonNumbers(r.readValues));
        notHeld.append(o);
        break;
      }
      case RowWrite::Kept:
        call.text << QStringLiteral("kept\t") + line + QLatin1Char('\t') + r.why;
        kept.append(paramRowJson(r.row));
        break;
      default:
        call.text << QStringLiteral("unanswered\t") + line;
        unanswered.append(paramRowJson(r.row));
        break;
    }
  }
  for (const RangeViolation& v : written.outOfRange) {
    QJsonObject o = paramRowJson(v.row);
    o.insert(QStringLiteral("range"), v.range);
    outOfRange.append(o);
  }
  if (written.movedTo) {
    // The device answers at the file's address from now on.
    call.text << QStringLiteral("address\t") + QString::number(*written.movedTo);
    call.data.insert(QStringLiteral("address"), *written.movedTo);
  }
  call.data.insert(QStringLiteral("group"), group);
  call.data.insert(QStringLiteral("written"), writtenRows);
  call.data.insert(QStringLiteral("unanswered"), unanswered);
  call.data.insert(QStringLiteral("kept"), kept);
  if (!notHeld.isEmpty()) call.data.insert(QStringLiteral("notHeld"), notHeld);
  if (!refused.isEmpty()) call.data.insert(QStringLiteral("refused"), refused);
  if (!outOfRange.isEmpty()) call.data.insert(QStringLiteral("outOfRange"), outOfRange);
  if (written.outcome == Outcome::InputRefused) {
    call.prompts.error(refusalMessage(written));
    return written.outcome;
  }
  if (written.outcome == Outcome::Cancelled && !written.outOfRange.isEmpty()) {
    call.prompts.error(kOutOfRange + rangeList(written.outOfRange) + kOutOfRangeRefused);
    return Outcome::InputRefused;
  }
  if (showsLinkError(written.outcome)) {
    call.prompts.error(msg::kLinkError);
    return written.outcome;
  }
  // Registers that do not hold what was sent: the device is not configured
  // as the file says.
  const QString notHeldBox = notHeldMessage(written);
  if (!notHeldBox.isEmpty()) {
    call.prompts.error(notHeldBox);
    return Outcome::DeviceRefused;
  }
  // Rows the device did not answer: the configuration is not all there.
  if (written.count(RowWrite::Unanswered) > 0) return Outcome::NoAnswer;
  return written.outcome;
}

}  // namespace

EditModels editModels(ShellContext& ws, ParamsPage& page) {
  return EditModels{page.params, ws.status, page.ParamsModified, ws.session.vmk.setup};
}

bool ActGetParSetExecute(ShellContext& ws, ParamsPage& page, const QLocale& locale) {
  page.openedFile.forget();
  const ParamReadResult read =
      readParameters(ws.session, page.SettingGroup, page.params, ws.session.vmk.setup, locale);
  if (!read.ok()) ws.prompts.error(msg::kLinkError);
  return read.ok();
}

bool actSetParametrExecute(ShellContext& ws, ParamsPage& page, const QLocale& locale,
                           MessageLog* memo) {
  Session& s = ws.session;
  const Result<QString> password =
      CheckPassword(ws.prompts, s.vmk.setup.DevicePassword, PasswordForm::Strict);
  // Values outside the editor's ranges may have come from the relay itself:
  // a question, whose default answer writes nothing.
  auto ask = [&ws](const QVector<RangeViolation>& rows) {
    return ws.prompts.warning(rangeQuestion(rows), {Button::No, Button::Yes}) == Button::Yes;
  };
  // What the write will change, shown before anything is written.
  PreviewQuestion confirm;
  if (page.previewBeforeWrite && ws.windows)
    confirm = [&ws](const WritePreview& preview) { return ws.windows->confirmWrite(preview); };
  const ParamWriteResult written =
      writeParameters(s, password, page.params, s.vmk.setup, locale, ask, confirm);
  // "Отмена" in the preview: nothing was sent, and nothing more is said.
  if (written.previewDeclined) return false;
  const QStringList summary = writeSummary(written);
  if (memo)
    for (const QString& line : summary) memo->append(line);
  // The device answers at its new address now, and the window talks to it
  // there.
  if (written.movedTo && !ws.status.text(2).isEmpty())
    ws.status.setText(panel::kDevice, msg::link::kDeviceChosen.arg(*written.movedTo));
  // A row the device left unanswered is not in the device: its mark stays
  // and the edits are still to be written, as after a failed write.
  const bool unanswered = written.count(RowWrite::Unanswered) > 0;
  // Registers that do not hold what was sent keep their marks, and the
  // grids still hold changes the device does not; the box names them
  // unless the link error says the write went wrong already.
  const QString notHeld = notHeldMessage(written);
  // A read-back the device left unanswered is the line's failure.
  bool readBackLost = false;
  for (const RowWriteResult& r : written.rows)
    readBackLost = readBackLost || r.readBack.contains(ReadBack::NotRead);
  const bool linkError =
      showsLinkError(written.outcome) || (written.ok() && (unanswered || readBackLost));
  if (written.outcome == Outcome::InputRefused) ws.prompts.error(refusalMessage(written));
  else if (linkError) ws.prompts.error(msg::kLinkError);
  else if (!notHeld.isEmpty()) ws.prompts.error(notHeld);
  if (written.ok() && !unanswered) {
    page.ParamsModified = !notHeld.isEmpty();
    // A write that went through says what it did, and names the rows kept.
    if (notHeld.isEmpty()) ws.prompts.information(doneReport(written));
  }
  return written.ok() && notHeld.isEmpty();
}

bool ActSaveFileExecute(ShellContext& ws, ParamsPage& page) {
  const std::optional<QString> path = ws.prompts.saveFile(settingsFileDialog());
  if (!path || path->isEmpty()) return false;
  const SettingsFileResult saved = saveSettingsFile(*path, page.params);
  if (!saved.message.isEmpty()) ws.prompts.error(saved.message);
  return saved.ok();
}

bool ActOpenFileExecute(ShellContext& ws, ParamsPage& page) {
  const std::optional<QString> path = ws.prompts.openFile(settingsFileDialog());
  if (!path || path->isEmpty()) return false;
  const SettingsFileResult loaded = loadSettingsFile(*path, page.params);
  if (!loaded.message.isEmpty()) ws.prompts.error(loaded.message);
  if (!loaded.ok()) return false;
  page.paramEditing.rowsLoaded(*path, loaded.entries);
  page.openedFile.opened(*path, loaded.entries, page.params);
  // Texts that are no values are named now, once, rather than row by row
  // when they are clicked or written.
  const QString notValues = notValuesMessage(*path, loaded.entries);
  if (!notValues.isEmpty()) ws.prompts.warning(notValues);
  return true;
}

void rbGroup2Click(ParamsPage& page, int group) {
  // The settings of the other group are not read yet: the grid shows its
  // rows empty, edits and marks of the group left gone.
  page.params.clearSettings(group);
  page.SettingGroup = page.params.group();
}

void Grid1SelectCell(ParamsPage& page, int gridTag, int row) {
  page.paramEditing.Grid1SelectCell(gridTag, row);
}

void Grid1DblClick(ShellContext& ws, ParamsPage& page, int gridTag, int row) {
  page.paramEditing.Grid1SelectCell(gridTag, row);
  if (page.paramEditing.Grid1DblClick(gridTag) == EditAnswer::ChangePassword)
    actChangePassExecute(ws);
}

void declareParamsCommands(CommandRegistry& registry) {
  auto window = [&registry](const char* name, std::function<void(Workspace&, const Trigger&)> run,
                            bool deviceOperation = true) {
    registry.add(WindowCommand{QString::fromLatin1(name), std::move(run), deviceOperation});
  };
  window("ActGetParSet", [](Workspace& ws, const Trigger&) { ActGetParSetExecute(ws, ws.parameters); });
  window("actSetParametr", [](Workspace& ws, const Trigger&) {
    actSetParametrExecute(ws, ws.parameters, QLocale(), &ws.link.Memo1);
  });
  window("ActOpenFile", [](Workspace& ws, const Trigger&) { ActOpenFileExecute(ws, ws.parameters); });
  window("ActSaveFile", [](Workspace& ws, const Trigger&) { ActSaveFileExecute(ws, ws.parameters); });
  // Both group radio buttons; the tag is the group now selected.
  window("rbGroup2Click", [](Workspace& ws, const Trigger& t) { rbGroup2Click(ws.parameters, t.tag); });
  // Both grids; the tag is the grid (1 Grid1, 2 grdSett), the row the row.
  window("Grid1DblClick",
         [](Workspace& ws, const Trigger& t) { Grid1DblClick(ws, ws.parameters, t.tag, t.row); });
  window("Grid1SelectCell",
         [](Workspace& ws, const Trigger& t) { Grid1SelectCell(ws.parameters, t.tag, t.row); }, false);

  registry.add(CliCommand{{QStringLiteral("params"), QStringLiteral("get")},
                          QStringLiteral("params get [--group 1|2] [-o FILE.ust]"),
                          QStringLiteral("read parameters and settings"), kGetHelp, paramsGet});
  registry.add(CliCommand{{QStringLiteral("params"), QStringLiteral("set")},
                          QStringLiteral("params set FILE.ust --password P [--group 1|2] "
                                         "[--allow-address-change] [--allow-out-of-range] "
                                         "[--dry-run]"),
                          QStringLiteral("write a settings file into the device"), kSetHelp,
                          paramsSet});
}

}  // namespace vmk
