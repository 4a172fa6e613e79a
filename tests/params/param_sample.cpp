#include "tests/params/param_sample.h"

#include "extlib/registers.h"

namespace vmk::test {

void setPassword(sim::Device& d, const QString& four) {
  const QByteArray b = four.toLatin1();
  d.setRegister(reg::kPassword, std::uint16_t(std::uint8_t(b[0]) << 8 | std::uint8_t(b[1])));
  d.setRegister(reg::kPasswordLow, std::uint16_t(std::uint8_t(b[2]) << 8 | std::uint8_t(b[3])));
}

QString passwordOf(sim::Device& d) {
  const std::uint16_t a = d.registerValue(reg::kPassword), b = d.registerValue(reg::kPasswordLow);
  return QString(QChar(a >> 8)) + QChar(a & 0xFF) + QChar(b >> 8) + QChar(b & 0xFF);
}

void loadSample(sim::Device& d) {
  for (int r = reg::kParamFirst; r <= reg::kParamLast; ++r)
    if (r < reg::kClock || r >= reg::kClock + reg::kClockCount) d.setRegister(r, 0);
  for (int group : {1, 2})
    for (int k = 0; k < reg::kGroupSize; ++k) d.setRegister(reg::groupBase(group) + k, 0);
  d.setRegister(64, 261);
  d.setRegister(65, 0x0004);
  setPassword(d, QStringLiteral("ABCD"));
  d.setRegister(68, 0xFFFE);  // only bit 0 counts: group 1
  d.setRegister(69, 0xFFFF);
  d.setRegister(80, 600);
  d.setRegister(81, 5);
  d.setRegister(82, 100);
  d.setRegister(83, 1);
  d.setRegister(96, 0x8001);
  d.setRegister(97, 0x0021);
  for (int r = 134; r <= 139; ++r) d.setRegister(r, 25);
  d.setRegister(140, 15);
  d.setRegister(142, 0x0002);  // bit 0 clear: "Работа"
  d.setRegister(222, 0x0001);
  d.setRegister(223, 0x8000);
  d.setRegister(256 + 6, 25);
  d.setRegister(256 + 20, 6);
  d.setRegister(256 + 29, 125);
  d.setRegister(512 + 6, 77);
  d.setRegister(512 + 20, 1);
}

ParamFixture::ParamFixture() : dev(add(1)) { session.DeviceAddress = 1; }

}  // namespace vmk::test
