#pragma once
// The serial ports of the system the program runs on: the link that opens
// one and the names the port dialog offers. QSerialPort on Linux
// (system_link_posix.cpp), the Win32 serial API on Windows
// (system_link_win.cpp).

#include <QStringList>
#include <memory>

#include "device/port_settings.h"
#include "extlib/serial_link.h"

namespace vmk {

// The link to the port the settings name (on Linux a name with a '/' is a
// full path, e.g. a pseudo-terminal).
std::unique_ptr<SerialLink> makeSystemLink(const PortSettings& settings);

// How help texts give an example of a port: "e.g. /dev/ttyUSB0 or a
// pseudo-terminal path", "e.g. COM1".
QString portNameExample();

// The serial ports the system knows (on Windows in the order "COM2" before
// "COM10").
QStringList systemPortNames();

}  // namespace vmk
