#include "ctl/help.h"

#include "shell/command_registry.h"

namespace vmk::ctl {

namespace {

const QString kHead = QStringLiteral(
    "vmkctl - the configurator's device operations from the command line\n"
    "\n"
    "Usage: vmkctl [--port NAME] [--connector front|rear] [--baud N] [--address N]\n"
    "              [--timeout T] [--json] COMMAND ...\n"
    "\n"
    "Global options (before the command):\n"
    "  --port NAME        serial port, e.g. /dev/ttyUSB0 or a pseudo-terminal path\n"
    "  --connector C      front (RS232, address 1) or rear (RS485, addresses 1..32);\n"
    "                     default front. The port settings come from Front.ini or\n"
    "                     Rear.ini beside the program, as in the window.\n"
    "  --baud N           line rate, overriding the ini file\n"
    "  --address N        device address 1..32 (rear connector; default 1)\n"
    "  --timeout T        reply time-out 1..255, in units of 10 ms\n"
    "  --json             one JSON document per command on standard output\n"
    "\n"
    "Commands:\n");

const QString kTail = QStringLiteral(
    "\n"
    "Messages the window would show in a box go to standard error with their kind\n"
    "(\"Error: ...\"). Exit codes: 0 done, 1 device or link failure, 2 wrong usage,\n"
    "3 refused (password, validation, file).\n"
    "Ctrl-C stops a long command between two exchanges: what it found so far is\n"
    "printed and the exit code is 1. A second Ctrl-C ends the program at once.\n"
    "\"vmkctl COMMAND --help\" tells more about one command.\n");

// The commands that still run the old way, until their subsystem
// registers them.
struct LegacyLine {
  QStringList verb;
  const char* line;
};
const LegacyLine kLegacy[] = {
    {{"poll"}, "  poll               list the devices, one line per address\n"},
    {{"info"}, "  info               connect and print the connection report\n"},
    {{"params", "get"}, "  params get         read parameters and settings\n"},
    {{"params", "set"}, "  params set FILE    write a settings file into the device\n"},
};

bool startsWith(const QStringList& words, const QStringList& prefix) {
  return words.size() >= prefix.size() && words.mid(0, prefix.size()) == prefix;
}

bool registered(const CommandRegistry& registry, const QStringList& verb) {
  for (const CliCommand& c : registry.cliCommands())
    if (startsWith(c.verb, verb) || startsWith(verb, c.verb)) return true;
  return false;
}

// "  usage              summary", the summary on a line of its own when
// the usage is too long for the column.
QString commandLine(const CliCommand& c) {
  constexpr int kColumn = 21;
  const QString usage = QStringLiteral("  ") + c.usage;
  if (usage.size() < kColumn) return usage.leftJustified(kColumn) + c.summary + QLatin1Char('\n');
  return usage + QLatin1Char('\n') + QString(kColumn, QLatin1Char(' ')) + c.summary +
         QLatin1Char('\n');
}

QString helpOf(const CliCommand& c) {
  if (!c.help.isEmpty()) return c.help.endsWith(QLatin1Char('\n')) ? c.help : c.help + QLatin1Char('\n');
  return QStringLiteral("vmkctl [global options] ") + c.usage + QStringLiteral("\n\n") + c.summary +
         QLatin1Char('\n');
}

QString legacyHelp(const QString& command) {
  if (command == QLatin1String("poll"))
    return QStringLiteral(
        "vmkctl [global options] poll\n"
        "\n"
        "Polls address 1 on the front connector, addresses 1..32 on the rear one, and\n"
        "prints one line per address exactly as the window lists them. When address 1\n"
        "answers \"в сети\" the window connects to it at once; so does this command.\n");
  if (command == QLatin1String("info"))
    return QStringLiteral(
        "vmkctl [global options] info\n"
        "\n"
        "Connects to --address (the front connector always uses address 1), reads the\n"
        "identity and setup blocks and prints the connection report and the interface\n"
        "lines. Exit code 1 when the device does not answer.\n");
  if (command == QLatin1String("params"))
    return QStringLiteral(
        "vmkctl [global options] params get [--group 1|2] [-o FILE.ust]\n"
        "vmkctl [global options] params set FILE.ust --password P [--group 1|2]\n"
        "                                 [--allow-address-change]\n"
        "\n"
        "get: reads the parameters and the settings of the group (default 1) and\n"
        "     prints \"caption<TAB>value\" rows of both grids, or writes them to a\n"
        "     settings file (-o; the extension must be .ust).\n"
        "set: connects, loads the settings file into both grids (the settings go to\n"
        "     the chosen group whatever group they were saved from), checks every row\n"
        "     before anything is sent, asks the device password (--password), writes\n"
        "     every row and prints each written register and the rows left unanswered.\n"
        "     A row that does not convert or does not fit its register is refused\n"
        "     with exit code 3 and nothing is written. A file whose device address\n"
        "     differs from the device's own is refused too, unless\n"
        "     --allow-address-change is given (two devices at one address on a bus).\n");
  return QString();
}

}  // namespace

QString generalHelp(const CommandRegistry& registry) {
  QString text = kHead;
  for (const CliCommand& c : registry.cliCommands()) text += commandLine(c);
  for (const LegacyLine& l : kLegacy)
    if (!registered(registry, l.verb)) text += QString::fromUtf8(l.line);
  return text + kTail;
}

QString commandHelp(const CommandRegistry& registry, const QStringList& words) {
  QStringList helps;
  for (const CliCommand& c : registry.cliCommands())
    if (startsWith(c.verb, words)) helps << helpOf(c);
  if (helps.isEmpty())
    if (const CliCommand* c = registry.findCli(words)) helps << helpOf(*c);
  if (helps.isEmpty()) helps << legacyHelp(words.value(0));
  helps.removeAll(QString());
  return helps.isEmpty() ? generalHelp(registry) : helps.join(QLatin1Char('\n'));
}

}  // namespace vmk::ctl
