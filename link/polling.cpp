#include "link/polling.h"

#include "device/device_client.h"
#include "device/session.h"
#include "extlib/transport_error.h"
#include "link/messages.h"
#include "model/job.h"
#include "model/text_list.h"

namespace vmk {

namespace {

// Status bytes of an answering device.
constexpr int kInService = 1;
constexpr int kWithNotice = 3;
constexpr int kFaulty0 = 0;
constexpr int kFaulty2 = 2;

// Opens the port when it is closed and closes it on every way out, but only
// when it opened it: the caller that holds the port open goes on with it.
class PortUse {
 public:
  explicit PortUse(Session& session) : m_session(session), m_opened(!session.Port1.isOpen()) {
    m_session.openPort();
  }
  ~PortUse() {
    if (m_opened) m_session.closePort();
  }
  PortUse(const PortUse&) = delete;
  PortUse& operator=(const PortUse&) = delete;

 private:
  Session& m_session;
  bool m_opened;
};

}  // namespace

int PollResult::firstStatus() const {
  if (addresses.isEmpty() || addresses.first().address != kFirstNetAddress)
    return kNoPollingStatus;
  return addresses.first().status.value_or(kNoPollingStatus);
}

bool PollResult::firstAnswers() const {
  const int status = firstStatus();
  return status == kInService || status == kWithNotice;
}

QString pollingLine(int status, int address) {
  switch (status) {
    case kInService:
      return msg::link::kDeviceOnline.arg(address);
    case kWithNotice:
      return msg::link::kDeviceNotice.arg(address);
    case kFaulty0:
    case kFaulty2:
      return msg::link::kDeviceFaulty;
    default:
      return msg::link::kDeviceSilent.arg(address);
  }
}

QString pollingLine(const std::optional<int>& status, int address) {
  return pollingLine(status.value_or(kNoPollingStatus), address);
}

PollResult pollNetwork(Session& session, Connector connector, TextList& list, Progress* gauge,
                       JobControl& jobs) {
  PortUse port(session);
  list.clear();
  PollResult result;
  const int lastAddress = lastAddressOf(connector);
  Job job(jobs, lastAddress, gauge);
  for (int address = kFirstNetAddress; address <= lastAddress; ++address) {
    // Step k is shown once k addresses are done.
    if (!job.step(address - kFirstNetAddress)) {
      result.outcome = Outcome::Cancelled;
      break;
    }
    PolledAddress polled;
    polled.address = address;
    try {
      DeviceClient device(session, std::uint8_t(address));
      const Result<int> status = device.readStatus();
      if (status) polled.status = status.value;
    } catch (const TransportError&) {
      session.closePort();
      session.openPort();
    }
    polled.line = pollingLine(polled.status, address);
    list.append(polled.line);
    result.addresses.append(polled);
  }
  return result;
}

}  // namespace vmk
