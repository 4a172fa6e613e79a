// Polling and connection: the commands of the window and of vmkctl.

#include "shell/link_commands.h"

#include <QJsonArray>
#include <QJsonObject>
#include <exception>

#include "device/codecs.h"
#include "link/connection.h"
#include "link/messages.h"
#include "link/polling.h"
#include "model/messages.h"
#include "model/text_list.h"
#include "shell/cli_call.h"
#include "shell/cli_connect.h"
#include "shell/command_registry.h"
#include "shell/page_rules.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

// The main window takes no input while the addresses are polled (the
// window leaves only its cancel reachable); the gauge of the rear
// connector shows the progress. Both are undone on every way out.
class PollingWindowState {
 public:
  PollingWindowState(ShellContext& ws, LinkPage& page, Progress* gauge) : m_ws(ws), m_page(page) {
    if (gauge) {
      gauge->setPosition(gauge->minimum());
      gauge->setVisible(true);
    }
    m_ws.pages.setWindowEnabled(false);
  }
  ~PollingWindowState() {
    m_ws.pages.setWindowEnabled(true);
    m_page.Gauge1.setVisible(false);
  }
  PollingWindowState(const PollingWindowState&) = delete;
  PollingWindowState& operator=(const PollingWindowState&) = delete;

 private:
  ShellContext& m_ws;
  LinkPage& m_page;
};

// What the window shows of a connection.
void showConnection(ShellContext& ws, LinkPage& page, const Connection& c) {
  if (c.readFailed()) {
    ws.prompts.error(msg::kLinkError);
    return;
  }
  if (!c.ok()) return;  // no line chosen, or a silent device: nothing is reported
  const QString chosen = chosenDeviceText(c);
  if (!chosen.isEmpty()) ws.status.setText(panel::kDevice, chosen);
  if (c.clockUndefined()) ws.prompts.error(msg::link::kBadDeviceClock);
  BlockTabSheet(ws, false);
  for (const QString& line : c.report) page.Memo1.append(line);
  ws.pages.setEnabled(QStringLiteral("actPrint"), true);
}

QJsonValue orNull(const QDateTime& moment) {
  if (!moment.isValid()) return QJsonValue::Null;
  return moment.toString(Qt::ISODate);
}

QJsonObject recordJson(const Connection& c) {
  const TVMK& r = c.record;
  const SetupFields& s = r.setup;
  QJsonObject ct{{QStringLiteral("phasePrimary"), s.CtPrimary},
                 {QStringLiteral("phaseSecondary"), s.CtSecondary},
                 {QStringLiteral("earthPrimary"), s.EarthCtPrimary},
                 {QStringLiteral("earthSecondary"), s.EarthCtSecondary}};
  return {{QStringLiteral("address"), c.address},
          {QStringLiteral("name"), r.Name},
          {QStringLiteral("versionWord"), r.VersionWord},
          {QStringLiteral("version"), VersionText(r.VersionWord)},
          {QStringLiteral("factoryNumber"), r.SerialNumber},
          {QStringLiteral("language"), r.Language},
          {QStringLiteral("variant"), r.DeviceVariant},
          {QStringLiteral("netAddress"), s.NetAddress},
          {QStringLiteral("interfaceWord"), s.InterfaceWord},
          {QStringLiteral("activeGroup"), s.ActiveGroup},
          {QStringLiteral("ct"), ct},
          {QStringLiteral("clock"), orNull(c.deviceTime)},
          {QStringLiteral("nonce"), r.ServiceNonce}};
}

Connector connectorOf(const CliCall& call) { return call.rear ? Connector::Rear : Connector::Front; }

Outcome pollCommand(CliCall& call) {
  TextList list;
  const PollResult r = pollNetwork(call.session, connectorOf(call), list, nullptr, call.jobs);
  QJsonArray devices;
  for (const PolledAddress& a : r.addresses) {
    call.text << a.line;
    devices.append(QJsonObject{{QStringLiteral("address"), a.address},
                               {QStringLiteral("status"),
                                a.status ? QJsonValue(*a.status) : QJsonValue::Null},
                               {QStringLiteral("line"), a.line}});
  }
  call.data.insert(QStringLiteral("devices"), devices);
  if (r.outcome != Outcome::Done || !r.firstAnswers()) return r.outcome;
  // As in the window: a device in service at address 1 is connected at once.
  const Connection c = connectDevice(call.session, kFrontAddress, call.clock.now().date());
  return reportConnection(call, c, false);
}

Outcome infoCommand(CliCall& call) {
  Connection c;
  const Outcome o = connectForCommand(call, &c);
  call.text = c.report;
  call.data.insert(QStringLiteral("memo"), QJsonArray::fromStringList(c.report));
  call.data.insert(QStringLiteral("status"), chosenDeviceText(c));
  if (c.ok()) call.data.insert(QStringLiteral("device"), recordJson(c));
  return o;
}

}  // namespace

Connector chosenConnector(const PageState& pages) {
  return rearConnectorChosen(pages) ? Connector::Rear : Connector::Front;
}

bool rearConnectorChosen(const PageState& pages) {
  return pages.action(QStringLiteral("actReaPort")).checked &&
         !pages.action(QStringLiteral("actFrontPort")).checked;
}

void forgetDevice(ShellContext& ws, LinkPage& page) {
  page.Memo1.clear();
  page.lbRelay.clear();
  ws.status.setText(panel::kDevice, QString());
  ws.session.DeviceAddress = 0;
  BlockTabSheet(ws, true);
}

void actPollingExecute(ShellContext& ws, LinkPage& page) {
  Session& s = ws.session;
  // Held open from polling through the connection that may follow.
  PortBracket port(s);
  forgetDevice(ws, page);

  const Connector connector = chosenConnector(ws.pages);
  Progress* gauge = connector == Connector::Rear ? &page.Gauge1 : nullptr;
  PollResult result;
  {
    PollingWindowState windowState(ws, page, gauge);
    result = pollNetwork(s, connector, page.lbRelay, gauge, ws.jobs);
  }
  if (result.outcome == Outcome::Cancelled) {
    s.closePort();
    ws.status.setText(panel::kNote, msg::kOperationCancelled);
    return;
  }
  page.lbRelay.setSelected(0);

  if (result.firstAnswers()) actGetStartInfoExecute(ws, page);
}

void actGetStartInfoExecute(ShellContext& ws, LinkPage& page) {
  PortBracket port(ws.session);
  page.Memo1.clear();
  ws.status.setText(panel::kDevice, QString());
  // Line i belongs to address i + 1; no selection (-1) gives address 0.
  const auto address = static_cast<std::uint8_t>(page.lbRelay.selected() + 1);
  showConnection(ws, page, connectDevice(ws.session, address, ws.clock.now().date()));
}

void lbRelayDblClick(ShellContext& ws, LinkPage& page) {
  try {
    actGetStartInfoExecute(ws, page);
  } catch (const std::exception&) {
    BlockTabSheet(ws, true);
    ws.prompts.error(msg::link::kNotConnected);
  }
}

void declareLinkCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actPolling"),
                             [](Workspace& ws, const Trigger&) { actPollingExecute(ws, ws.link); }});
  registry.add(WindowCommand{QStringLiteral("actGetStartInfo"),
                             [](Workspace& ws, const Trigger&) { actGetStartInfoExecute(ws, ws.link); }});
  registry.add(WindowCommand{QStringLiteral("lbRelayDblClick"),
                             [](Workspace& ws, const Trigger&) { lbRelayDblClick(ws, ws.link); }});

  registry.add(CliCommand{
      {QStringLiteral("poll")},
      QStringLiteral("poll"),
      QStringLiteral("list the devices, one line per address"),
      QStringLiteral(
          "vmkctl [global options] poll\n"
          "\n"
          "Polls address 1 on the front connector, addresses 1..32 on the rear one, and\n"
          "prints one line per address exactly as the window lists them. When address 1\n"
          "answers \"в сети\" the window connects to it at once; so does this command.\n"
          "With --json, each address gives its number, its status byte (null when it\n"
          "gave none) and its line. Interrupted, it prints the addresses asked so far.\n"),
      pollCommand});
  registry.add(CliCommand{
      {QStringLiteral("info")},
      QStringLiteral("info"),
      QStringLiteral("connect and print the connection report"),
      QStringLiteral(
          "vmkctl [global options] info\n"
          "\n"
          "Connects to --address (the front connector always uses address 1), reads the\n"
          "identity and setup blocks and prints the connection report and the interface\n"
          "lines. Exit code 1 when the device does not answer; an undefined device clock\n"
          "is only a warning (\"command sync\" sets the clock). With --json, the record\n"
          "as read (name, version, factory number, language, variant, address, interface\n"
          "word, active group, current-transformer values, device clock in ISO 8601 or\n"
          "null, nonce) beside the report lines.\n"),
      infoCommand});
}

}  // namespace vmk
