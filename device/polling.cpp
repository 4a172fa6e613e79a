#include "device/polling.h"

#include "device/connection.h"
#include "shell/workspace.h"
#include "extlib/transport_error.h"
#include "shell/page_rules.h"

namespace vmk {

namespace {

constexpr int kFrontAddresses = 1;
constexpr int kRearAddresses = 32;

// The main window takes no input while the addresses are polled; it is
// enabled again and the gauge hidden on every way out.
class PollingWindowState {
 public:
  explicit PollingWindowState(Workspace& ws) : m_ws(ws) { m_ws.pages.setWindowEnabled(false); }
  ~PollingWindowState() {
    m_ws.pages.setWindowEnabled(true);
    m_ws.Gauge1.setVisible(false);
  }
  PollingWindowState(const PollingWindowState&) = delete;
  PollingWindowState& operator=(const PollingWindowState&) = delete;

 private:
  Workspace& m_ws;
};

}  // namespace

QString PollingLine(int status, int address) {
  switch (status) {
    case 1:
      return QStringLiteral("Устройство №%1 в сети").arg(address);
    case 3:
      return QStringLiteral("Устройство №%1 в сети (+)").arg(address);
    case 0:
    case 2:
      return QStringLiteral("Устройство неисправно");
    default:
      return QStringLiteral("Связи с устройством №%1 нет").arg(address);
  }
}

bool RearConnectorChosen(const PageState& pages) {
  return pages.action(QStringLiteral("actReaPort")).checked &&
         !pages.action(QStringLiteral("actFrontPort")).checked;
}

void actPollingExecute(Workspace& ws) {
  Session& s = ws.session;
  PortBracket port(s);

  ws.Memo1.clear();
  ws.lbRelay.clear();
  ws.status.setText(2, QString());
  s.DeviceAddress = 0;
  int firstStatus = kNoPollingStatus;
  BlockTabSheet(ws, true);

  const bool rear = RearConnectorChosen(ws.pages);
  const int lastAddress = rear ? kRearAddresses : kFrontAddresses;
  if (rear) {
    ws.Gauge1.setPosition(ws.Gauge1.minimum());
    ws.Gauge1.setVisible(true);
  }
  {
    PollingWindowState windowState(ws);
    for (int address = 1; address <= lastAddress; ++address) {
      if (ws.processEvents) ws.processEvents();
      int status = kNoPollingStatus;
      try {
        status = s.modbus.GetF07(s.link(), std::uint8_t(address));
      } catch (const Error&) {
        s.closePort();
        s.openPort();
      }
      ws.lbRelay.append(PollingLine(status, address));
      if (rear) ws.Gauge1.setPosition(address);
      if (address == 1) firstStatus = status;
    }
  }
  ws.lbRelay.setSelected(0);

  if (firstStatus == 1 || firstStatus == 3) actGetStartInfoExecute(ws);
}

}  // namespace vmk
