#include "ctl/options.h"

#include "device/port_settings.h"

namespace vmk::ctl {

namespace {

// Command options that take a value; every other "--x" is a flag.
const QStringList kValueOptions = {
    QStringLiteral("--group"), QStringLiteral("-o"), QStringLiteral("--password"),
    QStringLiteral("--at"), QStringLiteral("--csv"), QStringLiteral("--entry"),
    QStringLiteral("--point"), QStringLiteral("--reference"), QStringLiteral("--k"),
    QStringLiteral("--kind"), QStringLiteral("--serial"), QStringLiteral("--name"),
    QStringLiteral("--addresses"), QStringLiteral("--what"), QStringLiteral("--from"),
    QStringLiteral("--variant")};

int toInt(const QString& name, const QString& value) {
  bool ok = false;
  const int n = value.toInt(&ok);
  if (!ok) throw UsageError{QStringLiteral("%1 needs a number, not \"%2\"").arg(name, value)};
  return n;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& args) {
  CommandLine line;
  int i = 0;
  auto value = [&](const QString& name) {
    if (i + 1 >= args.size()) throw UsageError{name + QStringLiteral(" needs a value")};
    return args[++i];
  };
  // Global options come before the command.
  for (; i < args.size(); ++i) {
    const QString& a = args[i];
    if (!a.startsWith(QLatin1Char('-'))) break;
    if (a == QLatin1String("--port")) line.global.port = value(a);
    else if (a == QLatin1String("--connector")) {
      const QString c = value(a);
      if (c != QLatin1String("front") && c != QLatin1String("rear"))
        throw UsageError{QStringLiteral("--connector is front or rear")};
      line.global.connector = c;
    } else if (a == QLatin1String("--baud")) line.global.baud = toInt(a, value(a));
    else if (a == QLatin1String("--address")) line.global.address = toInt(a, value(a));
    else if (a == QLatin1String("--timeout")) line.global.timeout = toInt(a, value(a));
    else if (a == QLatin1String("--json")) line.global.json = true;
    else if (a == QLatin1String("--trace")) line.global.trace = true;
    else if (a == QLatin1String("--help") || a == QLatin1String("-h")) line.global.help = true;
    else throw UsageError{QStringLiteral("unknown option ") + a};
  }
  for (; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
      if (kValueOptions.contains(a)) line.options.insert(a, value(a));
      else if (a == QLatin1String("--json")) line.global.json = true;
      else line.flags << a;
    } else {
      line.command << a;
    }
  }
  if (line.global.port) {
    PortSettings probe;
    if (!setLinkName(probe, *line.global.port))
      throw UsageError{QStringLiteral("--port %1: give tcp://HOST:PORT or mbtcp://HOST:PORT with a port 1..65535")
                           .arg(*line.global.port)};
  }
  if (line.global.address && (*line.global.address < 1 || *line.global.address > 32))
    throw UsageError{QStringLiteral("--address is 1..32")};
  if (line.global.timeout && (*line.global.timeout < 1 || *line.global.timeout > 255))
    throw UsageError{QStringLiteral("--timeout is 1..255 (x 10 ms)")};
  return line;
}

}  // namespace vmk::ctl
