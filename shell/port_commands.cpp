// The port commands of the command table and the connector choice: the
// commands of the window, and the handlers of Port1's events.

#include "shell/port_commands.h"

#include <QFile>
#include <algorithm>

#include "device/connector.h"
#include "link/messages.h"
#include "shell/command_registry.h"
#include "shell/command_table.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

namespace m = msg::link;

constexpr int kTimeoutMin = 1, kTimeoutMax = 255;
constexpr int kTimeoutDigits = 5;

const QString kFront = QStringLiteral("actFrontPort");
const QString kRear = QStringLiteral("actReaPort");
const QString kOCPort = QStringLiteral("ActOCPort");

// Settings loaded into an open port take effect by reopening it.
void reopenIfOpen(ShellContext& ws) {
  SerialPort& port = ws.session.Port1;
  if (!port.isOpen()) return;
  port.close();
  port.open();
}

void loadConnector(ShellContext& ws, Connector connector) {
  if (loadConnectorSettings(ws.session.Port1.settings(), ws.ProgramDir, connector))
    reopenIfOpen(ws);
}

void saveInto(ShellContext& ws, const QString& path) {
  if (!savePortSettings(path, ws.session.Port1.settings()))
    ws.prompts.error(m::kPortSettingsNotSaved.arg(path));
}

void chooseConnector(ShellContext& ws, Connector connector) {
  ws.pages.setChecked(kFront, connector == Connector::Front);
  ws.pages.setChecked(kRear, connector == Connector::Rear);
}

}  // namespace

void actPort(ShellContext& ws, int tag) {
  SerialPort& port = ws.session.Port1;
  switch (tag) {
    case kTagOpenPort:
      ws.session.openPort();
      break;
    case kTagClosePort:
      ws.session.closePort();
      break;
    case kTagSettingPort:
      if (ws.prompts.portSettings(port.settings())) reopenIfOpen(ws);
      showConnector(ws);
      break;
    case kTagLoadSetPort:
      loadConnector(ws, Connector::Rear);
      showConnector(ws);
      break;
    case kTagSaveSetPort:
      saveInto(ws, connectorIniPath(ws.ProgramDir, Connector::Rear));
      break;
    case kTagFrontPort:
      chooseConnector(ws, Connector::Front);
      loadConnector(ws, Connector::Front);
      showConnector(ws);
      ws.session.DeviceAddress = kFrontAddress;  // one device at the front connector
      break;
    case kTagReaPort:
      chooseConnector(ws, Connector::Rear);
      loadConnector(ws, Connector::Rear);
      showConnector(ws);
      break;
    default:
      break;
  }
  ws.pages.setMenuEnabled(kMenuPortSetup, !ws.pages.action(kFront).checked);
}

void showConnector(ShellContext& ws) {
  const bool front = ws.pages.action(kFront).checked;
  const PortSettings& s = ws.session.Port1.settings();
  if (s.link == PortSettings::Link::Tcp)
    ws.status.setText(panel::kConnector, (front ? m::kFrontOverNetwork : m::kRearOverNetwork).arg(s.hostAndPort()));
  else
    ws.status.setText(panel::kConnector, front ? m::kFrontConnector : m::kRearConnector);
}

void Port1AfterOpen(ShellContext& ws) {
  ws.status.setText(panel::kPort, m::kPortOpened.arg(ws.session.Port1.settings().linkName()));
  ws.pages.setImage(kOCPort, kImagePortOpen);
}

void Port1BeforeClose(ShellContext& ws) {
  ws.status.setText(panel::kPort, m::kPortClosed.arg(ws.session.Port1.settings().linkName()));
  ws.pages.setImage(kOCPort, kImagePortClosed);
}

QString lineErrorList(int errors) {
  static const char* const names[8] = {"ceFrame, ", "ceRxParity, ", "ceOverrun, ", "ceBreak, ",
                                       "ceIO, ",    "ceMode, ",     "ceRxOver, ",  "ceTxFull"};
  QString list;
  for (int bit = 0; bit < 8; ++bit)
    if (errors & (1 << bit)) list += QLatin1String(names[bit]);
  return list;
}

void Port1Error(ShellContext& ws, int errors) {
  // A report that arrives once the port is closed or its line has failed
  // is the failure the operation that met it shows in its own box.
  const SerialPort& port = ws.session.Port1;
  if (!port.isOpen() || port.lineFailed()) return;
  ws.prompts.error(m::kLineErrors + lineErrorList(errors));
}

void ActOCPortExecute(ShellContext& ws) {
  SerialPort& port = ws.session.Port1;
  if (port.isOpen()) {
    port.close();
    ws.pages.setImage(kOCPort, kImagePortClosed);
    ws.pages.setHint(kOCPort, m::kPortClosedHint);
  } else if (port.open()) {
    ws.pages.setImage(kOCPort, kImagePortOpen);
    ws.pages.setHint(kOCPort, m::kPortOpenHint);
  }
  ws.pages.setEnabled(QStringLiteral("actPolling"), port.isOpen());
}

void ActSetTOExecute(ShellContext& ws) {
  NumberDialog dialog;
  dialog.caption = m::kTimeoutCaption;
  dialog.label = m::kTimeoutLabel;
  dialog.text = QString::number(ws.session.modbus.GetTry());
  dialog.maxLength = kTimeoutDigits;
  const std::optional<QString> entry = ws.prompts.number(dialog);
  if (!entry || entry->trimmed().isEmpty()) return;
  bool ok = false;
  const qlonglong value = entry->trimmed().toLongLong(&ok);
  if (!ok) return;  // the dialog takes digits only; anything else changes nothing
  ws.session.modbus.SetTry(int(std::clamp<qlonglong>(value, kTimeoutMin, kTimeoutMax)));
}

bool portStartupCheck(ShellContext& ws) {
  SerialPort& port = ws.session.Port1;
  const QString front = connectorIniPath(ws.ProgramDir, Connector::Front);
  // A file not written yet is no failure: the defaults stand.
  const bool loaded = !QFile::exists(front) || loadPortSettings(front, port.settings());
  const bool opened = loaded && port.open();
  if (!opened) {
    ws.prompts.error(m::kPortOpenError);
    ws.prompts.portSettings(port.settings());
    saveInto(ws, front);
  }
  chooseConnector(ws, Connector::Front);
  ws.pages.setMenuEnabled(kMenuPortSetup, false);
  ws.session.closePort();
  return opened;
}

bool portShutdown(ShellContext& ws) {
  ws.session.closePort();
  if (!ws.session.Port1.isOpen()) return true;
  ws.prompts.error(m::kPortCloseError);
  return false;
}

PortBinder::PortBinder(ShellContext& ws, QObject* parent) : QObject(parent), m_ws(ws) {
  SerialPort* port = &ws.session.Port1;
  connect(port, &SerialPort::afterOpen, this, [this] { Port1AfterOpen(m_ws); });
  connect(port, &SerialPort::beforeClose, this, [this] { Port1BeforeClose(m_ws); });
  // One box of the line at a time: the box's event loop lets the next
  // report in, which must not open another inside it.
  connect(port, &SerialPort::lineErrors, this,
          [this](int errors) {
            if (m_boxOpen) return;
            m_boxOpen = true;
            Port1Error(m_ws, errors);
            m_boxOpen = false;
          },
          Qt::QueuedConnection);
}

void declarePortCommands(CommandRegistry& registry) {
  // actOpenPort .. actReaPort share `actPort`, each with its tag.
  for (const Command& c : commandTable())
    if (c.category == QLatin1String("Port"))
      registry.add(WindowCommand{c.name, [tag = c.tag](Workspace& ws, const Trigger&) {
                                   actPort(ws, tag);
                                 }});
  registry.add(WindowCommand{kOCPort, [](Workspace& ws, const Trigger&) { ActOCPortExecute(ws); }});
  registry.add(WindowCommand{QStringLiteral("ActSetTO"),
                             [](Workspace& ws, const Trigger&) { ActSetTOExecute(ws); }});
}

}  // namespace vmk
