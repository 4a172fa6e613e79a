#pragma once
// Settings of `Port1` and their ini files (Front.ini, Rear.ini): section
// "Port1" with the keys Port, BaudRate, CustomBaudRate, StopBits, DataBits,
// Parity, FlowControl, and for a link over the network Link (COM or TCP),
// Host, TcpPort and TcpMode (RtuOverTcp or ModbusTcp). A file without Link
// (or with another value than TCP) is a serial port, whatever the settings
// were; any other missing file or key keeps the current setting.

#include <QString>

namespace vmk {

struct PortSettings {
  enum class Parity { None, Odd, Even, Mark, Space };
  enum class StopBits { One, OneAndHalf, Two };
  enum class FlowControl { Hardware, Software, None, Custom };
  // A serial port, or a TCP connection to a serial device server (RTU
  // frames as on the line) or to a Modbus TCP gateway (MBAP frames).
  enum class Link { Serial, Tcp };
  enum class TcpMode { RtuOverTcp, ModbusTcp };

  QString portName = QStringLiteral("COM1");
  // One of the listed rates, or 0 for "Custom" (customBaudRate is then used).
  int baudRate = 9600;
  int customBaudRate = 9600;
  int dataBits = 8;
  Parity parity = Parity::None;
  StopBits stopBits = StopBits::One;
  FlowControl flowControl = FlowControl::Software;
  // Over the network the line settings above are those of the RS485 line
  // behind the server; its rate times the replies.
  Link link = Link::Serial;
  QString host;
  int tcpPort = 502;
  TcpMode tcpMode = TcpMode::RtuOverTcp;

  // The line rate in effect (the custom one when "Custom" is chosen).
  int effectiveBaudRate() const { return baudRate == 0 ? customBaudRate : baudRate; }

  // What the status bar and the messages call the port: the serial port's
  // name, or tcp://HOST:PORT (RTU over TCP) or mbtcp://HOST:PORT (Modbus
  // TCP), the form vmkctl --port takes.
  QString linkName() const;
  // "HOST:PORT" of a network link.
  QString hostAndPort() const;

  bool operator==(const PortSettings&) const = default;
};

// The flow control the line runs with: RTS/CTS for "Hardware", none for
// the others. XON/XOFF in the driver would swallow every 0x11 and 0x13
// byte of the binary frames (register values, CRC bytes) and stop our
// output on a 0x13 in a reply; the frames are never text, so the line
// runs without it. The setting itself is kept as chosen in the ini files.
bool hardwareFlowOnLine(PortSettings::FlowControl flow);

// Sets the port from a name as linkName() gives it: tcp:// or mbtcp:// with
// a host and a port 1..65535 chooses the network, anything else is a serial
// port's name. False (settings unchanged) for a tcp:// or mbtcp:// name
// without a host or a valid port.
bool setLinkName(PortSettings& settings, const QString& name);

// Loads section "Port1" of the ini file over `settings`; false when the file
// cannot be read (settings unchanged).
bool loadPortSettings(const QString& iniPath, PortSettings& settings);
// Stores the settings into section "Port1", keeping every other section and
// key of the file; the file is replaced atomically. False on failure.
bool savePortSettings(const QString& iniPath, const PortSettings& settings);

}  // namespace vmk
