#pragma once
// vmkctl as a client of the command registry: builds a CliCall from the
// command line (the port settings of Front.ini or Rear.ini beside the
// program, overridden by the global options; prompts answered from the
// command's options), runs the registered command whose verb is the longest
// match, and turns its outcome into the exit code. Plain output is the
// call's text lines, --json its data with the boxes shown.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "ctl/exit_code.h"
#include "device/serial_port.h"
#include "model/job.h"

namespace vmk {
class Clock;
class CommandRegistry;
class Session;
}  // namespace vmk

namespace vmk::ctl {

// Where the output goes.
struct CliStreams {
  std::function<void(const QString&)> out;  // standard output: a line or a block
  std::function<void(const QString&)> err;  // standard error: one line
  // The progress line of a long command, rewritten in place; an empty
  // text ends it. Empty: no progress line (standard error is no terminal).
  std::function<void(const QString&)> progress;
};

// What the program takes from its surroundings; tests replace it.
struct CliSetup {
  SerialPort::LinkFactory linkFactory;  // empty: the real serial port
  QString programDir;                   // empty: the program's folder
  const Clock* clock = nullptr;         // nullptr: the PC clock
  QString changeLogFolder;              // empty: the user's data folder
};

class Cli {
 public:
  Cli(const CommandRegistry& registry, CliStreams streams, CliSetup setup = {});
  ~Cli();
  Cli(const Cli&) = delete;
  Cli& operator=(const Cli&) = delete;

  // Runs one command line (the arguments after the program name) and gives
  // the exit code.
  int run(const QStringList& args);

  // The jobs of the running command: SIGINT asks them to stop.
  JobControl& jobs() { return m_jobs; }
  // The session of the last command run (nullptr before any).
  const Session* lastSession() const { return m_session.get(); }

 private:
  const CommandRegistry& m_registry;
  CliStreams m_streams;
  CliSetup m_setup;
  JobControl m_jobs;
  std::unique_ptr<Session> m_session;
  QString m_verb;  // of the command that runs
};

}  // namespace vmk::ctl
