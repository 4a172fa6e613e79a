// Comparing parameters and settings: the window's command and vmkctl's
// `params diff`.

#include "shell/compare_commands.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "device/session.h"
#include "extlib/transport_error.h"
#include "extlib/view_loader.h"
#include "model/messages.h"
#include "params/compare_sources.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/cli_connect.h"
#include "shell/viewer_names.h"
#include "shell/windows.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

const QString kDiffHelp = QStringLiteral(
    "vmkctl [global options] params diff [--group 1|2] [FILE.ust [FILE.ust]]\n"
    "\n"
    "Compares two sets of parameters and settings row by row, by the values the\n"
    "rows would write (\"0.50\" and \"0,5\" are one value):\n"
    "  no FILE     connects and compares setting group 1 with group 2 of the device\n"
    "  one FILE    connects and compares the device (its parameters and the settings\n"
    "              of --group, default 1) with the file\n"
    "  two FILEs   compares the files; no device is asked\n"
    "Prints each differing row as\n"
    "\"section<TAB>caption<TAB>left<TAB>right<TAB>state<TAB>bits\": the texts as the\n"
    "grids show them with the row's unit (\"0,25 с\"; \"—\" for a row a side lacks), state\n"
    "one of differs, only-left, only-right (the other side lacks the row) and\n"
    "unconvertible (a text that stands for no value; never taken as equal), and for\n"
    "a bit-string row the bits that differ, named as the value editor names them\n"
    "(\"+ name\" set on the right, \"− name\" cleared; empty for other rows). With\n"
    "--json: both sides' names and every differing row with its texts, unit, the\n"
    "words they write, the named bits and the state.\n"
    "Exit codes: 0 the sides are equal, 4 they differ; 1 the device or the link\n"
    "failed, 2 wrong usage, 3 a file that cannot be read or holds no settings.\n");

const QString kParamSection = QStringLiteral("Параметры");
const QString kSettingSection = QStringLiteral("Уставки");

// Two files of one name in different folders are told apart by their paths.
void nameApart(FileSide& a, FileSide& b, const QString& pathA, const QString& pathB) {
  if (a.side.name != b.side.name) return;
  a.side.name = pathA;
  b.side.name = pathB;
}

std::optional<FileSide> fileSide(Prompts& prompts, const QString& path) {
  FileSide side = readFileSide(path);
  if (!side.ok()) {
    prompts.error(side.message);
    return std::nullopt;
  }
  return side;
}

QJsonArray numbers(const QVector<std::uint16_t>& values) {
  QJsonArray a;
  for (std::uint16_t v : values) a.append(int(v));
  return a;
}

QJsonValue optionalText(const std::optional<QString>& t) {
  return t ? QJsonValue(*t) : QJsonValue(QJsonValue::Null);
}

Outcome paramsDiff(CliCall& call) {
  const std::optional<QString> groupOption = call.option(QStringLiteral("--group"));
  int group = 1;
  if (groupOption) {
    if (*groupOption == QLatin1String("2")) group = 2;
    else if (*groupOption != QLatin1String("1"))
      throw UsageError{QStringLiteral("--group is 1 or 2")};
    if (call.args.size() != 1)
      throw UsageError{QStringLiteral("--group goes with one FILE (the device's group)")};
  }
  if (call.args.size() > 2) throw UsageError{QStringLiteral("params diff takes at most two files")};

  std::optional<Comparison> c;
  if (call.args.size() == 2) {
    std::optional<FileSide> a = fileSide(call.prompts, call.args[0]);
    if (!a) return Outcome::InputRefused;
    std::optional<FileSide> b = fileSide(call.prompts, call.args[1]);
    if (!b) return Outcome::InputRefused;
    nameApart(*a, *b, call.args[0], call.args[1]);
    c = compareSides(a->side, b->side);
  } else {
    // The file first: one that cannot be used asks no device.
    std::optional<FileSide> file;
    if (call.args.size() == 1) {
      file = fileSide(call.prompts, call.args[0]);
      if (!file) return Outcome::InputRefused;
    }
    const Outcome connected = connectForCommand(call);
    if (connected != Outcome::Done) return connected;
    if (file) {
      const Result<CompareSide> device = readDeviceSide(call.session, group);
      if (!device) {
        call.prompts.error(msg::kLinkError);
        return device.outcome;
      }
      c = compareSides(device.value, file->side);
    } else {
      const auto groups = readDeviceGroups(call.session);
      if (!groups) {
        call.prompts.error(msg::kLinkError);
        return groups.outcome;
      }
      c = compareSides(groups.value.first, groups.value.second, CompareGrids::SettingsOnly);
    }
  }

  ViewLoader loader(call.programDir);
  const BitNames names = viewerNames(loader);
  QJsonArray rows;
  for (const CompareRow& r : c->rows) {
    if (!r.differs()) continue;
    const QString& section = r.grid == 2 ? kSettingSection : kParamSection;
    const QString bits = bitDifference(r, names);
    call.text << QStringList{section, r.caption, shownText(r, false), shownText(r, true),
                             stateWord(r.state), bits}
                     .join(QLatin1Char('\t'));
    QJsonObject o{{QStringLiteral("section"), section},
                  {QStringLiteral("row"), r.row},
                  {QStringLiteral("caption"), r.caption},
                  {QStringLiteral("left"), optionalText(r.left)},
                  {QStringLiteral("right"), optionalText(r.right)},
                  {QStringLiteral("unit"), rowUnit(r)},
                  {QStringLiteral("leftWords"), numbers(r.leftWords)},
                  {QStringLiteral("rightWords"), numbers(r.rightWords)},
                  {QStringLiteral("state"), stateWord(r.state)}};
    if (!bits.isEmpty()) o.insert(QStringLiteral("bits"), bits);
    if (!r.why.isEmpty()) o.insert(QStringLiteral("why"), r.why);
    rows.append(o);
  }
  call.data.insert(QStringLiteral("left"), c->leftName);
  call.data.insert(QStringLiteral("right"), c->rightName);
  call.data.insert(QStringLiteral("compared"), int(c->rows.size()));
  call.data.insert(QStringLiteral("equal"), c->equal());
  call.data.insert(QStringLiteral("rows"), rows);
  call.differs = !c->equal();
  return Outcome::Done;
}

}  // namespace

bool compareDeviceConnected(const ShellContext& ws) { return ws.pages.isTabVisible(kPageDinamic); }

// The comparison window's buttons call these from their slots, where
// nothing may be thrown: a port that fails (or will not open) is shown as
// its own text, the port bracket having closed it.
template <typename Read>
auto portGuarded(ShellContext& ws, Read read) -> std::optional<decltype(read())> {
  try {
    return read();
  } catch (const Error& e) {
    ws.prompts.error(e.message());
    return std::nullopt;
  }
}

std::optional<Comparison> compareGroups(ShellContext& ws, const QLocale& locale) {
  const auto read = portGuarded(ws, [&] { return readDeviceGroups(ws.session, locale); });
  if (!read) return std::nullopt;
  const auto& groups = *read;
  if (!groups) {
    ws.prompts.error(msg::kLinkError);
    return std::nullopt;
  }
  return compareSides(groups.value.first, groups.value.second, CompareGrids::SettingsOnly);
}

std::optional<Comparison> compareDeviceWithFile(ShellContext& ws, const ParamsPage& page,
                                                const QString& path, const QLocale& locale) {
  const std::optional<FileSide> file = fileSide(ws.prompts, path);
  if (!file) return std::nullopt;
  const auto read = portGuarded(ws, [&] { return readDeviceSide(ws.session, page.SettingGroup, locale); });
  if (!read) return std::nullopt;
  const Result<CompareSide>& device = *read;
  if (!device) {
    ws.prompts.error(msg::kLinkError);
    return std::nullopt;
  }
  return compareSides(device.value, file->side);
}

std::optional<Comparison> compareFiles(ShellContext& ws, const QString& left, const QString& right) {
  std::optional<FileSide> a = fileSide(ws.prompts, left);
  if (!a) return std::nullopt;
  std::optional<FileSide> b = fileSide(ws.prompts, right);
  if (!b) return std::nullopt;
  nameApart(*a, *b, left, right);
  return compareSides(a->side, b->side);
}

int takeOverIntoGrids(ParamsPage& page, const Comparison& c, bool fromRight) {
  const int n = int(takeOver(c, fromRight, page.params).size());
  if (n > 0) page.ParamsModified = true;
  return n;
}

void declareCompareCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actCompare"), [](Workspace& ws, const Trigger&) {
                               if (ws.windows) ws.windows->showComparison();
                             }});
  registry.add(CliCommand{{QStringLiteral("params"), QStringLiteral("diff")},
                          QStringLiteral("params diff [--group 1|2] [FILE.ust [FILE.ust]]"),
                          QStringLiteral("compare groups, the device and a file, or two files"),
                          kDiffHelp, paramsDiff});
}

}  // namespace vmk
