#pragma once
// Runs one vmkctl command with the very operations the window runs, over
// one Workspace whose prompts are answered from the command line.

#include <QJsonObject>
#include <QStringList>
#include <memory>

#include "ctl/cli_prompts.h"
#include "ctl/options.h"
#include "shell/workspace.h"
#include "model/clock.h"

namespace vmk::ctl {

class Runner {
 public:
  // `factory` replaces the real serial port (tests); empty = QSerialPort.
  Runner(const CommandLine& line, SerialPort::LinkFactory factory = {});
  ~Runner();

  // Runs the command; what it prints is in text() / json().
  ExitCode run();

  QString text() const { return m_out.join(QLatin1Char('\n')); }
  QJsonObject json() const;
  const CliPrompts& prompts() const { return *m_prompts; }

 private:
  void setUpPort();

  // Connects to the chosen address as the window does from the device list;
  // false (with an error already shown) when the device is not there.
  bool connect();
  // The exit code for what the operation showed: a password refusal is 3,
  // anything else shown as an error is 1.
  ExitCode outcome() const;

  CommandLine m_line;
  std::unique_ptr<Session> m_session;
  std::unique_ptr<CliPrompts> m_prompts;
  SystemClock m_clock;
  std::unique_ptr<Workspace> m_ws;
  QStringList m_out;
  QJsonObject m_data;
};

}  // namespace vmk::ctl
