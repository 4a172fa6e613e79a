#include "ctl/runner.h"

#include <QJsonArray>

#include "extlib/transport_error.h"
#include "link/polling.h"
#include "device/program_dir.h"
#include "model/messages.h"
#include "shell/page_rules.h"
#include "shell/command_table.h"
#include "shell/link_commands.h"
#include "shell/port_commands.h"

namespace vmk::ctl {

namespace {

QJsonArray toJson(const QStringList& lines) {
  QJsonArray a;
  for (const QString& l : lines) a.append(l);
  return a;
}

}  // namespace

Runner::Runner(const CommandLine& line, SerialPort::LinkFactory factory) : m_line(line) {
  CliAnswers answers;
  if (line.options.contains(QStringLiteral("--password")))
    answers.password = line.options.value(QStringLiteral("--password"));
  if (line.options.contains(QStringLiteral("-o")))
    answers.saveFile = line.options.value(QStringLiteral("-o"));
  m_session = std::make_unique<Session>(std::move(factory));
  m_prompts = std::make_unique<CliPrompts>(answers);
  m_prompts->setQuiet(line.global.json);
  m_ws = std::make_unique<Workspace>(*m_session, *m_prompts, m_clock);
  m_ws->ProgramDir = programDir();
  applyCommandTable(m_ws->pages);
}

Runner::~Runner() { m_session->closePort(); }

void Runner::setUpPort() {
  const bool rear = m_line.global.connector == QStringLiteral("rear");
  // The window's own connector commands: load Front.ini or Rear.ini, and on
  // the front connector talk to address 1.
  actPort(*m_ws, rear ? kTagReaPort : kTagFrontPort);
  PortSettings& s = m_session->Port1.settings();
  if (m_line.global.port) s.portName = *m_line.global.port;
  if (m_line.global.baud) {
    s.baudRate = 0;  // "Custom"
    s.customBaudRate = *m_line.global.baud;
  }
  if (rear) m_session->DeviceAddress = std::uint8_t(m_line.global.address.value_or(1));
  if (m_line.global.timeout) m_session->modbus.SetTry(*m_line.global.timeout);
}

ExitCode Runner::outcome() const {
  const QStringList& errors = m_prompts->errors();
  if (errors.isEmpty()) return kDone;
  for (const QString& e : errors) {
    if (e == msg::kPasswordError) return kRefused;
  }
  return kDeviceFailure;
}

ExitCode Runner::run() {
  const QStringList& c = m_line.command;
  const QString name = c.value(0);
  m_data.insert(QStringLiteral("command"), c.join(QLatin1Char(' ')));
  setUpPort();
  try {
  } catch (const Error& e) {
    // What the window shows under its title when an operation does not
    // handle an error itself.
    m_prompts->error(e.message());
    m_session->closePort();
    return kDeviceFailure;
  }
  throw UsageError{QStringLiteral("unknown command: ") + c.join(QLatin1Char(' '))};
}

bool Runner::connect() {
  const int address = RearConnectorChosen(m_ws->pages) ? m_session->DeviceAddress : 1;
  // The connection talks to the device of the selected list line.
  m_ws->lbRelay.clear();
  for (int a = 1; a <= address; ++a) m_ws->lbRelay.append(QString());
  m_ws->lbRelay.setSelected(address - 1);
  actGetStartInfoExecute(*m_ws);
  if (!m_prompts->errors().isEmpty()) return false;
  if (m_ws->Memo1.lines().isEmpty()) {
    m_prompts->error(PollingLine(ModbusLibrary::kNoAnswer, address));
    return false;
  }
  return true;
}

QJsonObject Runner::json() const {
  QJsonObject o = m_data;
  o.insert(QStringLiteral("messages"), toJson(m_prompts->shown()));
  return o;
}

}  // namespace vmk::ctl
