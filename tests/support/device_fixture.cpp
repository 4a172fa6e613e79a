#include "tests/support/device_fixture.h"

#include "device/device_client.h"
#include "extlib/crc16.h"
#include "extlib/wire_table.h"
#include "shell/command_table.h"
#include "shell/page_rules.h"

namespace vmk::test {

QList<Request> registerRequests(const QList<QByteArray>& frames) {
  QList<Request> out;
  for (const QByteArray& f : frames) {
    if (f.size() < 6) continue;
    const int function = std::uint8_t(f[1]);
    if (function != wire::kReadHolding && function != wire::kWriteRegister) continue;
    out.append({function, wire::wordAt(f, 2), wire::wordAt(f, 4)});
  }
  return out;
}

DeviceFixture::DeviceFixture(QDateTime pcTime, QDateTime deviceTime)
    : clock(std::move(pcTime)),
      deviceTime(std::move(deviceTime)),
      session(linkFactory()),
      ws(session, prompts, clock) {
  // Silent addresses cost 10 ms, not 100.
  session.modbus.SetTry(1);
  applyCommandTable(ws.pages);
  BlockTabSheet(ws, true);
  ws.jobs.processEvents = [this] {
    if (atStep) atStep(steps.isEmpty() ? 0 : steps.last());
  };
  QObject::connect(&ws.jobs, &JobControl::progressed, [this](int position, int) { steps << position; });
}

SerialPort::LinkFactory DeviceFixture::linkFactory() {
  return [this](const PortSettings&) {
    return std::make_unique<FaultLink>(std::make_unique<sim::BusLink>(bus), plan);
  };
}

sim::Device& DeviceFixture::add(int address, int variant, std::uint8_t status, std::uint64_t seed) {
  sim::Device::ClockSource source;
  if (deviceTime.isValid()) source = [this] { return deviceTime; };
  else source = [this] { return clock.now(); };
  sim::Device& d = bus.addDevice(address, variant, seed, source);
  d.setStatus(status);
  return d;
}

void DeviceFixture::chooseRear(bool rear) {
  ws.pages.setChecked(QStringLiteral("actFrontPort"), !rear);
  ws.pages.setChecked(QStringLiteral("actReaPort"), rear);
}

void DeviceFixture::connectTo(int address) {
  session.DeviceAddress = std::uint8_t(address);
  PortBracket port(session);
  DeviceClient client(session);
  const auto identity = client.readIdentity();
  const auto setup = client.readSetup();
  session.vmk = identity.value;
  session.vmk.setup = setup.value;
  forgetRequests();
}

std::function<Fault(const QByteArray&)> silentFrom(int n, LinkPlan& plan) {
  return [n, &plan](const QByteArray&) {
    return plan.requests.size() >= n ? Fault::Silence : Fault::None;
  };
}

std::function<Fault(const QByteArray&)> silentWritesOf(QList<int> registers) {
  return [registers](const QByteArray& r) {
    const bool write = r.size() >= 6 && std::uint8_t(r[1]) == wire::kWriteRegister;
    return write && registers.contains(wire::wordAt(r, 2)) ? Fault::Silence : Fault::None;
  };
}

}  // namespace vmk::test
