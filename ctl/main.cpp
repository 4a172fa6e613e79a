// vmkctl: the configurator's device operations from the command line.

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "ctl/cli.h"
#include "shell/command_registry.h"

namespace {

vmk::JobControl* g_jobs = nullptr;

// The first SIGINT asks the running job to stop at its next step (an
// atomic store, safe here); the handler then resets itself, so that a
// second SIGINT ends the program.
extern "C" void onInterrupt(int) {
  if (g_jobs) g_jobs->requestCancel();
}

void catchInterrupt(vmk::JobControl& jobs) {
  g_jobs = &jobs;
  struct sigaction action = {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  // A parent may have left it blocked (the mask survives exec).
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  sigprocmask(SIG_UNBLOCK, &interrupt, nullptr);
}

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

  vmk::ctl::CliStreams streams;
  streams.out = [](const QString& text) { print(stdout, text); };
  streams.err = [](const QString& text) { print(stderr, text); };
  if (isatty(fileno(stderr)))
    streams.progress = [](const QString& text) {
      if (text.isEmpty()) {
        std::fputc('\n', stderr);
      } else {
        std::fputs(("\r" + text).toUtf8().constData(), stderr);
      }
      std::fflush(stderr);
    };
  vmk::ctl::Cli cli(vmk::commandRegistry(), streams);
  catchInterrupt(cli.jobs());
  const int code = cli.run(args);
  std::fflush(stdout);
  return code;
}
