#include "tests/params/fake_device.h"

#include "extlib/crc16.h"

namespace vmk::test {

QByteArray FakeDevice::answer(const QByteArray& request) {
  if (request.size() < 8 || !wire::hasValidCrc(request) || std::uint8_t(request[0]) != m_address)
    return {};
  const int function = std::uint8_t(request[1]);
  const int reg = wire::wordAt(request, 2);
  const int value = wire::wordAt(request, 4);
  requests.append({function, reg, value});
  if (silentAfter >= 0 && requests.size() > silentAfter) return {};
  QByteArray reply;
  reply.append(char(m_address));
  if (function == 3) {
    if (reg + value > regs.size()) return {};
    reply.append(char(3));
    reply.append(char(2 * value));
    for (int k = 0; k < value; ++k) wire::appendWord(reply, regs[reg + k]);
    return wire::withCrc(reply);
  }
  if (function == 6) {
    if (silentWrites.contains(reg) || reg >= regs.size()) return {};
    regs[reg] = std::uint16_t(value);
    return request;
  }
  return {};
}

std::unique_ptr<SerialLink> FakeDevice::makeLink() {
  auto link = std::make_unique<MemoryLink>([this](const QByteArray& r) { return answer(r); });
  return link;
}

void FakeDevice::setPassword(const QString& four) {
  const QByteArray b = four.toLatin1();
  regs[66] = std::uint16_t(std::uint8_t(b[0]) << 8 | std::uint8_t(b[1]));
  regs[67] = std::uint16_t(std::uint8_t(b[2]) << 8 | std::uint8_t(b[3]));
}

void loadSample(FakeDevice& d) {
  d.regs[64] = 261;
  d.regs[65] = 0x0004;
  d.setPassword(QStringLiteral("ABCD"));
  d.regs[68] = 0xFFFE;  // only bit 0 counts: group 1
  d.regs[69] = 0xFFFF;
  d.regs[80] = 600;
  d.regs[81] = 5;
  d.regs[82] = 100;
  d.regs[83] = 1;
  d.regs[96] = 0x8001;
  d.regs[97] = 0x0021;
  for (int r = 134; r <= 139; ++r) d.regs[r] = 25;
  d.regs[140] = 15;
  d.regs[142] = 0x0002;  // bit 0 clear: "Работа"
  d.regs[222] = 0x0001;
  d.regs[223] = 0x8000;
  d.regs[256 + 6] = 25;
  d.regs[256 + 20] = 6;
  d.regs[256 + 29] = 125;
  d.regs[512 + 6] = 77;
  d.regs[512 + 20] = 1;
}

Bench::Bench()
    : session([this](const PortSettings&) { return device.makeLink(); }) {
  session.DeviceAddress = 1;
  session.modbus.SetTry(1);
}

}  // namespace vmk::test
