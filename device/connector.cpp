#include "device/connector.h"

#include "device/program_dir.h"

namespace vmk {

QString connectorIniName(Connector connector) {
  return connector == Connector::Rear ? QStringLiteral("Rear.ini") : QStringLiteral("Front.ini");
}

QString connectorIniPath(const QString& programDir, Connector connector) {
  return writableSettingsPath(programDir, connectorIniName(connector));
}

bool loadConnectorSettings(PortSettings& settings, const QString& programDir,
                           Connector connector) {
  return loadPortSettings(connectorIniPath(programDir, connector), settings);
}

}  // namespace vmk
