#include "ctl/help.h"

#include "device/program_dir.h"
#include "device/system_link.h"
#include "shell/command_registry.h"

namespace vmk::ctl {

namespace {

const QString kHead = QStringLiteral(
    "vmkctl - the configurator's device operations from the command line\n"
    "\n"
    "Usage: vmkctl [--port NAME] [--connector front|rear] [--baud N] [--address N]\n"
    "              [--timeout T] [--json] [--trace] COMMAND ...\n"
    "\n"
    "Global options (before the command):\n"
    "  --port NAME        serial port, %1;\n"
    "                     tcp://HOST:PORT for a serial device server (RTU frames\n"
    "                     over TCP), mbtcp://HOST:PORT for a Modbus TCP gateway\n"
    "  --connector C      front (RS232, address 1) or rear (RS485, addresses 1..32);\n"
    "                     default front. The port settings come from Front.ini or\n"
    "                     Rear.ini beside the program (an installed copy: in\n"
    "                     %2), as in the window.\n"
    "  --baud N           line rate, overriding the ini file (over TCP: the RS485\n"
    "                     line behind the server, which times the replies)\n"
    "  --address N        device address 1..32 (rear connector; default 1)\n"
    "  --timeout T        reply time-out 1..255, in units of 10 ms\n"
    "  --json             one JSON document per command on standard output\n"
    "  --trace            every request and reply on standard error: time, bytes,\n"
    "                     verdict, response time and what it asks or brings\n"
    "\n"
    "Commands:\n");

const QString kTail = QStringLiteral(
    "\n"
    "Messages the window would show in a box go to standard error with their kind\n"
    "(\"Error: ...\"). Exit codes: 0 done, 1 device or link failure, 2 wrong usage,\n"
    "3 refused (password, validation, file), 4 the compared sides differ\n"
    "(params diff).\n"
    "Ctrl-C stops a long command between two exchanges: what it found so far is\n"
    "printed and the exit code is 1. A second Ctrl-C ends the program at once.\n"
    "\"vmkctl COMMAND --help\" tells more about one command.\n");

bool startsWith(const QStringList& words, const QStringList& prefix) {
  return words.size() >= prefix.size() && words.mid(0, prefix.size()) == prefix;
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

}  // namespace

QString generalHelp(const CommandRegistry& registry) {
  QString text = kHead.arg(portNameExample(), userConfigDirShown());
  for (const CliCommand& c : registry.cliCommands()) text += commandLine(c);
  return text + kTail;
}

QString commandHelp(const CommandRegistry& registry, const QStringList& words) {
  QStringList helps;
  for (const CliCommand& c : registry.cliCommands())
    if (startsWith(c.verb, words)) helps << helpOf(c);
  if (helps.isEmpty())
    if (const CliCommand* c = registry.findCli(words)) helps << helpOf(*c);
  helps.removeAll(QString());
  return helps.isEmpty() ? generalHelp(registry) : helps.join(QLatin1Char('\n'));
}

}  // namespace vmk::ctl
