#pragma once
// `Port1`: the one serial port of the program, its settings and the link it
// opens. The link comes from a factory so that the same code runs over a
// real port, a pseudo-terminal, a TCP connection to a serial device server
// or a Modbus TCP gateway, or the in-process simulated bus.

#include <QObject>
#include <functional>
#include <memory>

#include "device/port_settings.h"
#include "extlib/serial_link.h"

namespace vmk {

// The link of the settings: the system's serial port (makeSystemLink), or
// over the network a TCP connection in the chosen mode, timed by the line
// rate of the settings.
std::unique_ptr<SerialLink> makeLink(const PortSettings& settings);

class SerialPort : public QObject {
  Q_OBJECT
 public:
  using LinkFactory = std::function<std::unique_ptr<SerialLink>(const PortSettings&)>;

  // Without a factory the port opens the link of its settings (makeLink).
  explicit SerialPort(LinkFactory factory = {}, QObject* parent = nullptr);
  ~SerialPort() override;

  PortSettings& settings() { return m_settings; }
  const PortSettings& settings() const { return m_settings; }
  void setSettings(const PortSettings& settings) { m_settings = settings; }
  void setLinkFactory(LinkFactory factory);

  bool isOpen() const;
  // The open link's driver has said the line is gone (SerialLink::failed).
  bool lineFailed() const { return m_link && m_link->failed(); }
  // Opens the port if it is closed; false (with errorString()) when it
  // cannot be opened. Emits afterOpen on success.
  bool open();
  // Closes the port if it is open; emits beforeClose first.
  void close();
  QString errorString() const { return m_error; }

  // The open link; throws TransportError when the port is closed.
  SerialLink& link();

 Q_SIGNALS:
  void afterOpen();    // `Port1AfterOpen`
  void beforeClose();  // `Port1BeforeClose`
  // Line errors reported by the driver: bit 0 frame, 1 parity, 2 overrun,
  // 3 break, 4 I/O, 5 mode, 6 receive overflow, 7 transmit full.
  void lineErrors(int errors);

 private:
  LinkFactory m_factory;
  PortSettings m_settings;
  std::unique_ptr<SerialLink> m_link;
  QString m_error;
};

}  // namespace vmk
