// vmkctl: the configurator's device operations from the command line.

#include <QCoreApplication>
#include <QJsonDocument>
#include <cstdio>

#include "ctl/help.h"
#include "ctl/options.h"
#include "ctl/runner.h"

using vmk::ctl::ExitCode;

static void print(FILE* to, const QString& text) {
  if (text.isEmpty()) return;
  std::fputs(text.toUtf8().constData(), to);
  if (!text.endsWith(QLatin1Char('\n'))) std::fputc('\n', to);
}

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments();
  args.removeFirst();
  try {
    const vmk::ctl::CommandLine line = vmk::ctl::parseCommandLine(args);
    if (line.global.help || line.command.isEmpty()) {
      print(line.command.isEmpty() && !line.global.help ? stderr : stdout,
            vmk::ctl::generalHelp());
      return line.global.help ? vmk::ctl::kDone : vmk::ctl::kUsage;
    }
    if (line.flags.contains(QStringLiteral("--help")) || line.flags.contains(QStringLiteral("-h"))) {
      print(stdout, vmk::ctl::commandHelp(line.command.first()));
      return vmk::ctl::kDone;
    }
    vmk::ctl::Runner runner(line);
    const ExitCode code = runner.run();
    if (line.global.json) {
      QJsonObject o = runner.json();
      o.insert(QStringLiteral("exit"), int(code));
      print(stdout, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)));
    } else {
      print(stdout, runner.text());
    }
    return code;
  } catch (const vmk::ctl::UsageError& e) {
    print(stderr, QStringLiteral("vmkctl: ") + e.message);
    print(stderr, QStringLiteral("Try \"vmkctl --help\"."));
    return vmk::ctl::kUsage;
  }
}
