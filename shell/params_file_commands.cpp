// Settings files prepared without a device: vmkctl's params new, show,
// edit and check. None of them opens a port.

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "params/messages.h"
#include "params/param_set.h"
#include "params/settings_file.h"
#include "params/settings_file_rows.h"
#include "ranges/default_settings.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/param_row_json.h"
#include "shell/settings_file_arg.h"

namespace vmk {

namespace {

const QString kNewHelp = QStringLiteral(
    "vmkctl params new --variant 1|2|3 -o FILE.ust\n"
    "\n"
    "Writes a new settings file of the default set of a device variant (1 ВМК-01.01,\n"
    "2 ВМК-01.02, 3 ВМК-01.03; docs/default-settings.md): every protection off, no\n"
    "output relay on the breaker, long times where a longer time is the safer side.\n"
    "No device is asked. The file is Windows-1251, as params get writes it; an\n"
    "existing file is never replaced (exit code 3).\n");

const QString kShowHelp = QStringLiteral(
    "vmkctl [--json] params show FILE.ust\n"
    "\n"
    "Prints the rows the settings file holds as params get prints a device's:\n"
    "\"caption<TAB>value\", the parameters, then the settings. With --json, each row\n"
    "gives its caption, its text, its register(s) (the settings' of group 1) and the\n"
    "word(s) it would write (none for a text that is no value). No device is asked.\n");

const QString kEditHelp = QStringLiteral(
    "vmkctl params edit FILE.ust \"Caption=value\" ...\n"
    "\n"
    "Sets rows of the settings file, each named by its caption exactly as params show\n"
    "prints it (spaces around it and the value are dropped). A caption may be\n"
    "preceded by \"Параметры:\" or \"Уставки:\" to name the grid; a caption that both\n"
    "grids had would need it. Each value is read as an edit of the grid reads it\n"
    "(\",\" or \".\" as the decimal separator, bit strings of 0 and 1, a toggle's or\n"
    "characteristic's text) and checked against the row's range\n"
    "(docs/settings-ranges.md). When every value passes, the file is rewritten at\n"
    "once (through a temporary file), in the encoding it is in, its other rows and\n"
    "keys as they were. An unknown caption, a row the file does not store (a\n"
    "heading, the password), a value that does not read or lies outside its range\n"
    "changes nothing at all: each such row is named with the reason and the exit\n"
    "code is 3. No device is asked.\n");

const QString kCheckHelp = QStringLiteral(
    "vmkctl [--json] params check FILE.ust\n"
    "\n"
    "Reads every row the settings file holds as params set would and checks it\n"
    "against its range. Exit code 0 when every row would be written as it stands;\n"
    "otherwise 3, with \"caption<TAB>value<TAB>reason\" for each row whose value does\n"
    "not read, stands for no value (the device would keep its own) or lies outside\n"
    "its range. No device is asked.\n");

// The rows of the FILE.ust a verb takes first, marked in `set`; a refusal
// already shown otherwise.
Outcome loadFileRows(CliCall& call, ParamSet& set) {
  set.setLocale(QLocale::c());
  return loadSettingsArg(call, call.args.first(), set).outcome;
}

QJsonArray checkedJson(const QVector<CheckedRow>& rows) {
  QJsonArray a;
  for (const CheckedRow& r : rows) {
    QJsonObject o = paramRowJson(r.row);
    o.insert(QStringLiteral("why"), r.why);
    a.append(o);
  }
  return a;
}

Outcome paramsNew(CliCall& call) {
  const QString variantText = call.option(QStringLiteral("--variant")).value_or(QString());
  const int variant = variantText.toInt();
  if (variant < 1 || variant > ranges::kVariantCount || variantText != QString::number(variant))
    throw UsageError{QStringLiteral("params new needs --variant 1, 2 or 3")};
  const std::optional<QString> file = call.option(QStringLiteral("-o"));
  if (!file || !file->endsWith(QLatin1String(".ust")))
    throw UsageError{QStringLiteral("params new needs -o FILE.ust")};
  if (!call.args.isEmpty()) throw UsageError{QStringLiteral("params new takes no other argument")};
  // An engineer's file is never overwritten by a template.
  if (QFileInfo::exists(*file)) {
    call.prompts.error(kFileExists.arg(*file));
    return Outcome::InputRefused;
  }
  const SettingsFileResult saved = saveSettingsFile(*file, defaultSet(variant), SaveRows::Marked);
  if (!saved.ok()) {
    call.prompts.error(saved.message);
    return saved.outcome;
  }
  call.text << *file;
  call.data.insert(QStringLiteral("file"), *file);
  call.data.insert(QStringLiteral("variant"), variant);
  return Outcome::Done;
}

Outcome paramsShow(CliCall& call) {
  if (call.args.size() != 1) throw UsageError{QStringLiteral("params show takes one FILE.ust")};
  const QString file = call.args.first();
  ParamSet set;
  const Outcome loaded = loadFileRows(call, set);
  if (loaded != Outcome::Done) return loaded;
  for (int grid : {1, 2}) {
    QJsonArray rows;
    for (int i = 0; i < ParamSet::rowCount(grid); ++i) {
      if (!set.marked(grid, i)) continue;
      const ParamRow row = paramRowOf(set, grid, i);
      call.text << row.caption + QLatin1Char('\t') + row.text;
      rows.append(paramRowJson(row));
    }
    call.data.insert(grid == 2 ? QStringLiteral("settings") : QStringLiteral("parameters"), rows);
  }
  call.data.insert(QStringLiteral("file"), file);
  return Outcome::Done;
}

Outcome paramsEdit(CliCall& call) {
  if (call.args.size() < 2)
    throw UsageError{QStringLiteral("params edit takes FILE.ust and one or more \"Caption=value\"")};
  for (const QString& a : call.args.mid(1))
    if (!a.contains(QLatin1Char('=')))
      throw UsageError{QStringLiteral("\"%1\" is no \"Caption=value\"").arg(a)};
  const QString file = call.args.first();
  ParamSet set;
  const Outcome loaded = loadFileRows(call, set);
  if (loaded != Outcome::Done) return loaded;

  // Every value first: one that cannot stand leaves the file as it was.
  QVector<CheckedRow> edited, refused;
  for (const QString& a : call.args.mid(1)) {
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    const CheckedRow r = editStoredRow(set, a.left(eq), a.mid(eq + 1).trimmed());
    (r.ok() ? edited : refused).append(r);
  }
  if (!refused.isEmpty()) {
    call.data.insert(QStringLiteral("refused"), checkedJson(refused));
    call.prompts.error(kFileNotEdited.arg(file, checkedRowList(refused)));
    return Outcome::InputRefused;
  }
  const SettingsFileResult saved = saveSettingsFile(file, set, SaveRows::Marked);
  if (!saved.ok()) {
    call.prompts.error(saved.message);
    return saved.outcome;
  }
  QJsonArray rows;
  for (const CheckedRow& r : edited) {
    call.text << r.row.caption + QLatin1Char('\t') + r.row.text;
    rows.append(paramRowJson(r.row));
  }
  call.data.insert(QStringLiteral("file"), file);
  call.data.insert(QStringLiteral("edited"), rows);
  return Outcome::Done;
}

Outcome paramsCheck(CliCall& call) {
  if (call.args.size() != 1) throw UsageError{QStringLiteral("params check takes one FILE.ust")};
  const QString file = call.args.first();
  ParamSet set;
  const Outcome loaded = loadFileRows(call, set);
  if (loaded != Outcome::Done) return loaded;
  const QVector<CheckedRow> bad = badMarkedRows(set);
  for (const CheckedRow& r : bad)
    call.text << QStringList{r.row.caption, r.row.text, r.why}.join(QLatin1Char('\t'));
  call.data.insert(QStringLiteral("file"), file);
  call.data.insert(QStringLiteral("bad"), checkedJson(bad));
  if (bad.isEmpty()) return Outcome::Done;
  call.prompts.error(kFileHasBadRows.arg(file).arg(bad.size()));
  return Outcome::InputRefused;
}

}  // namespace

void declareParamsFileCommands(CommandRegistry& registry) {
  auto verb = [&registry](const char* name, const char* usage, const char* summary,
                          const QString& help, std::function<Outcome(CliCall&)> run) {
    registry.add(CliCommand{{QStringLiteral("params"), QString::fromLatin1(name)},
                            QString::fromUtf8(usage), QString::fromUtf8(summary), help,
                            std::move(run)});
  };
  verb("new", "params new --variant 1|2|3 -o FILE.ust",
       "write a settings file of a variant's default set", kNewHelp, paramsNew);
  verb("show", "params show FILE.ust", "print the rows of a settings file", kShowHelp, paramsShow);
  verb("edit", "params edit FILE.ust \"Caption=value\" ...",
       "set rows of a settings file, each checked", kEditHelp, paramsEdit);
  verb("check", "params check FILE.ust", "check every row of a settings file", kCheckHelp,
       paramsCheck);
}

}  // namespace vmk
