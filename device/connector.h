#pragma once
// The two connectors of a device and their port settings files: the front
// one (RS232, one device at address 1, Front.ini) and the rear one (the
// RS485 network, addresses 1..32, Rear.ini). Pure: no window, no prompt;
// the window's connector commands and vmkctl both use it.

#include <QString>
#include <cstdint>

#include "device/port_settings.h"

namespace vmk {

enum class Connector { Front, Rear };

// The one device at the front connector answers at this address.
constexpr std::uint8_t kFrontAddress = 1;
// Addresses on the rear network.
constexpr int kFirstNetAddress = 1;
constexpr int kLastNetAddress = 32;

// The last address polled on the connector: 1 on the front, 32 on the rear.
constexpr int lastAddressOf(Connector connector) {
  return connector == Connector::Rear ? kLastNetAddress : kFrontAddress;
}

// "Front.ini" or "Rear.ini".
QString connectorIniName(Connector connector);
// The settings file of the connector: in `programDir` when it is writable,
// else in the per-user config folder.
QString connectorIniPath(const QString& programDir, Connector connector);

// Loads the connector's settings file over `settings`; false when the file
// cannot be read (settings unchanged, as a missing file leaves them).
bool loadConnectorSettings(PortSettings& settings, const QString& programDir,
                           Connector connector);

}  // namespace vmk
