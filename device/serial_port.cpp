#include "device/serial_port.h"

#include <algorithm>

#include "extlib/qserial_link.h"
#include "extlib/tcp_link.h"
#include "extlib/transport_error.h"

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
  q.flowControl = qtFlowControl(s.flowControl);
  return q;
}

}  // namespace

QSerialPort::FlowControl qtFlowControl(PortSettings::FlowControl flow) {
  switch (flow) {
    case PortSettings::FlowControl::Hardware: return QSerialPort::HardwareControl;
    // XON/XOFF in the driver would swallow every 0x11 and 0x13 byte of the
    // binary frames (register values, CRC bytes) and stop our output on a
    // 0x13 in a reply; the frames are never text, so the line runs without
    // it. The setting itself is kept as chosen in the ini files.
    case PortSettings::FlowControl::Software:
    case PortSettings::FlowControl::None:
    case PortSettings::FlowControl::Custom: return QSerialPort::NoFlowControl;
  }
  return QSerialPort::NoFlowControl;
}

std::unique_ptr<SerialLink> makeQSerialLink(const PortSettings& settings) {
  return std::make_unique<QSerialLink>(toQt(settings));
}

std::unique_ptr<SerialLink> makeLink(const PortSettings& settings) {
  if (settings.link == PortSettings::Link::Serial) return makeQSerialLink(settings);
  TcpLinkSettings t;
  t.host = settings.host;
  t.port = quint16(settings.tcpPort);
  t.mode = settings.tcpMode == PortSettings::TcpMode::ModbusTcp ? TcpLinkSettings::Mode::ModbusTcp
                                                                : TcpLinkSettings::Mode::RtuOverTcp;
  t.byteTimeUs = lineByteTimeUs(toQt(settings));
  t.name = settings.linkName();
  return std::make_unique<TcpLink>(t);
}

SerialPort::SerialPort(LinkFactory factory, QObject* parent)
    : QObject(parent), m_factory(std::move(factory)) {}

SerialPort::~SerialPort() {
  if (m_link) m_link->close();
}

void SerialPort::setLinkFactory(LinkFactory factory) { m_factory = std::move(factory); }

bool SerialPort::isOpen() const { return m_link && m_link->isOpen(); }

bool SerialPort::open() {
  if (isOpen()) return true;
  m_link.reset();
  std::unique_ptr<SerialLink> link = m_factory ? m_factory(m_settings) : makeLink(m_settings);
  if (!link) {
    m_error = QStringLiteral("Порт %1 недоступен").arg(m_settings.linkName());
    return false;
  }
  if (!link->open()) {
    m_error = link->errorString();
    return false;
  }
  link->setLineErrorHandler([this](int errors) { Q_EMIT lineErrors(errors); });
  m_link = std::move(link);
  m_error.clear();
  Q_EMIT afterOpen();
  return true;
}

void SerialPort::close() {
  if (!m_link) return;
  if (m_link->isOpen()) Q_EMIT beforeClose();
  // beforeClose may have run code that closed the port already.
  if (m_link) {
    m_link->setLineErrorHandler({});
    m_link->close();
    m_link.reset();
  }
}

SerialLink& SerialPort::link() {
  if (!isOpen()) throw TransportError(QStringLiteral("Порт %1 закрыт").arg(m_settings.linkName()));
  return *m_link;
}

}  // namespace vmk
