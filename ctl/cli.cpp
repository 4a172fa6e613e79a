#include "ctl/cli.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "ctl/cli_prompts.h"
#include "ctl/help.h"
#include "ctl/options.h"
#include "changelog/change_log.h"
#include "ctl/trace.h"
#include "device/connector.h"
#include "device/program_dir.h"
#include "device/session.h"
#include "extlib/transport_error.h"
#include "model/clock.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"

namespace vmk::ctl {

namespace {

// The connector's settings file as the window's connector commands load
// it, then the options over it. The front connector talks to address 1.
void setUpPort(Session& s, const CommandLine& line, const QString& programDir) {
  PortSettings& p = s.Port1.settings();
  loadConnectorSettings(p, programDir, line.rear() ? Connector::Rear : Connector::Front);
  // A name the command line took (parseCommandLine checked tcp:// names).
  if (line.global.port) setLinkName(p, *line.global.port);
  if (line.global.baud) {
    p.baudRate = 0;  // "Custom"
    p.customBaudRate = *line.global.baud;
  }
  s.DeviceAddress = line.rear() ? std::uint8_t(line.global.address.value_or(kFirstNetAddress))
                                : kFrontAddress;
  if (line.global.timeout) s.modbus.SetTry(*line.global.timeout);
}

CliAnswers answersFrom(const CommandLine& line) {
  CliAnswers answers;
  if (line.options.contains(QStringLiteral("--password")))
    answers.password = line.options.value(QStringLiteral("--password"));
  if (line.options.contains(QStringLiteral("-o")))
    answers.saveFile = line.options.value(QStringLiteral("-o"));
  return answers;
}

QJsonArray toJson(const QStringList& lines) {
  QJsonArray a;
  for (const QString& l : lines) a.append(l);
  return a;
}

}  // namespace

Cli::Cli(const CommandRegistry& registry, CliStreams streams, CliSetup setup)
    : m_registry(registry), m_streams(std::move(streams)), m_setup(std::move(setup)) {
  if (m_setup.programDir.isEmpty()) m_setup.programDir = programDir();
  // The progress line of a long command, when there is a terminal to show it.
  QObject::connect(&m_jobs, &JobControl::progressed, &m_jobs, [this](int position, int maximum) {
    if (m_streams.progress)
      m_streams.progress(QStringLiteral("%1: %2/%3").arg(m_verb).arg(position).arg(maximum));
  });
  QObject::connect(&m_jobs, &JobControl::finished, &m_jobs, [this](bool) {
    if (m_streams.progress) m_streams.progress(QString());
  });
}

Cli::~Cli() = default;

int Cli::run(const QStringList& args) {
  auto usage = [this](const QString& message) {
    m_streams.err(QStringLiteral("vmkctl: ") + message);
    m_streams.err(QStringLiteral("Try \"vmkctl --help\"."));
    return kUsage;
  };
  CommandLine line;
  try {
    line = parseCommandLine(args);
  } catch (const UsageError& e) {
    return usage(e.message);
  }
  if (line.global.help || line.command.isEmpty()) {
    (line.global.help ? m_streams.out : m_streams.err)(generalHelp(m_registry));
    return line.global.help ? kDone : kUsage;
  }
  if (line.wantsHelp()) {
    m_streams.out(commandHelp(m_registry, line.command));
    return kDone;
  }

  const CliCommand* command = m_registry.findCli(line.command);
  if (!command)
    return usage(QStringLiteral("unknown command: ") + line.command.join(QLatin1Char(' ')));

  m_verb = command->verb.join(QLatin1Char(' '));
  m_session = std::make_unique<Session>(m_setup.linkFactory);
  CliPrompts prompts(answersFrom(line), m_streams.err);
  prompts.setQuiet(line.global.json);
  SystemClock systemClock;
  const Clock& clock = m_setup.clock ? *m_setup.clock : systemClock;
  ChangeLog changeLog(m_setup.changeLogFolder);
  changeLog.attach(*m_session, clock);
  setUpPort(*m_session, line, m_setup.programDir);
  TraceObserver trace(m_streams.err);
  const ScopedObserver tracing(m_session->modbus, line.global.trace ? &trace : nullptr);

  CliCall call(*m_session, prompts, clock, m_jobs);
  call.programDir = m_setup.programDir;
  call.note = [this](const QString& line) {
    m_streams.err(QStringLiteral("%1: %2").arg(m_verb, line));
  };
  call.rear = line.rear();
  call.address = m_session->DeviceAddress;
  call.json = line.global.json;
  call.args = line.command.mid(command->verb.size());
  call.options = line.options;
  call.flags = QSet<QString>(line.flags.begin(), line.flags.end());
  call.changeLog = &changeLog;

  ExitCode code = kDone;
  try {
    const Outcome outcome = command->run(call);
    code = outcome == Outcome::Done && call.differs ? kDiffer : exitCodeOf(outcome);
  } catch (const UsageError& e) {
    m_session->closePort();
    m_session->changes = {};
    return usage(e.message);
  } catch (const Error& e) {
    // What the window shows under its title when a command does not
    // handle an error itself.
    prompts.error(e.message());
    code = kDeviceFailure;
  } catch (const std::exception& e) {
    prompts.error(QString::fromUtf8(e.what()));
    code = kDeviceFailure;
  }
  m_session->closePort();
  // The session outlives this run; the log does not.
  m_session->changes = {};
  // A change the log could not take is said; the exit code stays the
  // command's own.
  if (const std::optional<QString> failure = changeLog.takeFailure()) prompts.error(*failure);

  if (line.global.json) {
    QJsonObject o = call.data;
    if (!o.contains(QStringLiteral("command")))
      o.insert(QStringLiteral("command"), line.command.join(QLatin1Char(' ')));
    o.insert(QStringLiteral("messages"), toJson(prompts.shown()));
    o.insert(QStringLiteral("exit"), int(code));
    m_streams.out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)));
  } else if (!call.text.isEmpty()) {
    m_streams.out(call.text.join(QLatin1Char('\n')));
  }
  return code;
}

}  // namespace vmk::ctl
