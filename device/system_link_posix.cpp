#include "device/system_link.h"

#include <QSerialPortInfo>
#include <algorithm>

#include "extlib/qserial_link.h"

namespace vmk {

namespace {

QSerialLinkSettings toQt(const PortSettings& s) {
  QSerialLinkSettings q;
  q.portName = s.portName;
  q.baudRate = s.effectiveBaudRate();
  q.dataBits = QSerialPort::DataBits(std::clamp(s.dataBits, 5, 8));
  switch (s.parity) {
    case PortSettings::Parity::None: q.parity = QSerialPort::NoParity; break;
    case PortSettings::Parity::Odd: q.parity = QSerialPort::OddParity; break;
    case PortSettings::Parity::Even: q.parity = QSerialPort::EvenParity; break;
    case PortSettings::Parity::Mark: q.parity = QSerialPort::MarkParity; break;
    case PortSettings::Parity::Space: q.parity = QSerialPort::SpaceParity; break;
  }
  switch (s.stopBits) {
    case PortSettings::StopBits::One: q.stopBits = QSerialPort::OneStop; break;
    case PortSettings::StopBits::OneAndHalf: q.stopBits = QSerialPort::OneAndHalfStop; break;
    case PortSettings::StopBits::Two: q.stopBits = QSerialPort::TwoStop; break;
  }
  q.flowControl = hardwareFlowOnLine(s.flowControl) ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl;
  return q;
}

}  // namespace

std::unique_ptr<SerialLink> makeSystemLink(const PortSettings& settings) {
  return std::make_unique<QSerialLink>(toQt(settings));
}

QString portNameExample() { return QStringLiteral("e.g. /dev/ttyUSB0 or a pseudo-terminal path"); }

QStringList systemPortNames() {
  QStringList names;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) names << info.portName();
  return names;
}

}  // namespace vmk
