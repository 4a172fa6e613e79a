// vmkctl: the configurator's device operations from the command line.

#include <QCoreApplication>
#include <cstdio>

#include "ctl/cli.h"
#include "ctl/console.h"
#include "shell/command_registry.h"

namespace {

void print(FILE* to, const QString& text) {
  if (text.isEmpty()) return;
  std::fputs(text.toUtf8().constData(), to);
  if (!text.endsWith(QLatin1Char('\n'))) std::fputc('\n', to);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments();
  args.removeFirst();

  vmk::ctl::prepareConsole();
  vmk::ctl::CliStreams streams;
  streams.out = [](const QString& text) { print(stdout, text); };
  streams.err = [](const QString& text) { print(stderr, text); };
  if (vmk::ctl::isTerminal(stderr))
    streams.progress = [](const QString& text) {
      if (text.isEmpty()) {
        std::fputc('\n', stderr);
      } else {
        std::fputs(("\r" + text).toUtf8().constData(), stderr);
      }
      std::fflush(stderr);
    };
  vmk::ctl::Cli cli(vmk::commandRegistry(), streams);
  vmk::ctl::catchInterrupt(cli.jobs());
  const int code = cli.run(args);
  std::fflush(stdout);
  return code;
}
