#pragma once
// Settings of `Port1` and their ini files (Front.ini, Rear.ini): section
// "Port1" with the keys Port, BaudRate, CustomBaudRate, StopBits, DataBits,
// Parity, FlowControl. A missing file or key keeps the current setting.

#include <QString>

namespace vmk {

struct PortSettings {
  enum class Parity { None, Odd, Even, Mark, Space };
  enum class StopBits { One, OneAndHalf, Two };
  enum class FlowControl { Hardware, Software, None, Custom };

  QString portName = QStringLiteral("COM1");
  // One of the listed rates, or 0 for "Custom" (customBaudRate is then used).
  int baudRate = 9600;
  int customBaudRate = 9600;
  int dataBits = 8;
  Parity parity = Parity::None;
  StopBits stopBits = StopBits::One;
  FlowControl flowControl = FlowControl::Software;

  // The line rate in effect (the custom one when "Custom" is chosen).
  int effectiveBaudRate() const { return baudRate == 0 ? customBaudRate : baudRate; }

  bool operator==(const PortSettings&) const = default;
};

// The flow control the line runs with: RTS/CTS for "Hardware", none for
// the others. XON/XOFF in the driver would swallow every 0x11 and 0x13
// byte of the binary frames (register values, CRC bytes) and stop our
// output on a 0x13 in a reply; the frames are never text, so the line
// runs without it. The setting itself is kept as chosen in the ini files.
bool hardwareFlowOnLine(PortSettings::FlowControl flow);

// Loads section "Port1" of the ini file over `settings`; false when the file
// cannot be read (settings unchanged).
bool loadPortSettings(const QString& iniPath, PortSettings& settings);
// Stores the settings into section "Port1", keeping every other section and
// key of the file; the file is replaced atomically. False on failure.
bool savePortSettings(const QString& iniPath, const PortSettings& settings);

}  // namespace vmk
