#include "device/port_settings.h"

#include <QFile>
#include <QUrl>
#include <algorithm>
#include <array>

#include "extlib/ini_file.h"

namespace vmk {

bool hardwareFlowOnLine(PortSettings::FlowControl flow) { return flow == PortSettings::FlowControl::Hardware; }

namespace {

const QString kSection = QStringLiteral("Port1");

constexpr std::array<int, 12> kBaudRates{1200, 2400, 4800, 9600, 14400, 19200,
                                         38400, 56000, 57600, 115200, 128000, 256000};

template <typename T, std::size_t N>
bool fromName(const QString& text, const std::array<std::pair<const char*, T>, N>& names, T& out) {
  for (const auto& [name, value] : names)
    if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
      out = value;
      return true;
    }
  return false;
}

template <typename T, std::size_t N>
QString toName(T value, const std::array<std::pair<const char*, T>, N>& names) {
  for (const auto& [name, v] : names)
    if (v == value) return QLatin1String(name);
  return QLatin1String(names.front().first);
}

using P = PortSettings;
constexpr std::array<std::pair<const char*, P::Parity>, 5> kParity{{
    {"None", P::Parity::None}, {"Odd", P::Parity::Odd}, {"Even", P::Parity::Even},
    {"Mark", P::Parity::Mark}, {"Space", P::Parity::Space}}};
constexpr std::array<std::pair<const char*, P::StopBits>, 3> kStopBits{{
    {"1", P::StopBits::One}, {"1.5", P::StopBits::OneAndHalf}, {"2", P::StopBits::Two}}};
constexpr std::array<std::pair<const char*, P::FlowControl>, 4> kFlow{{
    {"Hardware", P::FlowControl::Hardware}, {"Software", P::FlowControl::Software},
    {"None", P::FlowControl::None}, {"Custom", P::FlowControl::Custom}}};
constexpr std::array<std::pair<const char*, P::Link>, 2> kLink{{
    {"COM", P::Link::Serial}, {"TCP", P::Link::Tcp}}};
constexpr std::array<std::pair<const char*, P::TcpMode>, 2> kTcpMode{{
    {"RtuOverTcp", P::TcpMode::RtuOverTcp}, {"ModbusTcp", P::TcpMode::ModbusTcp}}};
constexpr std::array<std::pair<const char*, P::TcpMode>, 2> kSchemes{{
    {"tcp", P::TcpMode::RtuOverTcp}, {"mbtcp", P::TcpMode::ModbusTcp}}};

constexpr int kMaxTcpPort = 65535;

bool validTcpPort(int port) { return port >= 1 && port <= kMaxTcpPort; }

// The keys of a network link: written only for one, or to keep a file that
// has them current, so that a serial port's file stays as it always was.
const char* const kNetworkKeys[] = {"Link", "Host", "TcpPort", "TcpMode"};

}  // namespace

QString PortSettings::hostAndPort() const {
  // An IPv6 address is bracketed, as in a URL.
  const QString h = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
  return QStringLiteral("%1:%2").arg(h).arg(tcpPort);
}

QString PortSettings::linkName() const {
  if (link == Link::Serial) return portName;
  return toName(tcpMode, kSchemes) + QStringLiteral("://") + hostAndPort();
}

bool setLinkName(PortSettings& settings, const QString& name) {
  const QString scheme = name.section(QStringLiteral("://"), 0, 0);
  PortSettings::TcpMode mode{};
  if (!name.contains(QStringLiteral("://")) || !fromName(scheme, kSchemes, mode)) {
    settings.link = PortSettings::Link::Serial;
    settings.portName = name;
    return true;
  }
  const QUrl url(name, QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty() || !validTcpPort(url.port()) ||
      !url.path().isEmpty() || !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment())
    return false;
  settings.link = PortSettings::Link::Tcp;
  settings.tcpMode = mode;
  settings.host = url.host();
  settings.tcpPort = url.port();
  return true;
}

bool loadPortSettings(const QString& iniPath, PortSettings& settings) {
  IniFile ini;
  if (!ini.load(iniPath)) return false;
  // A key that is missing or holds a value the port does not know keeps
  // the current setting.
  PortSettings s = settings;
  const QString port = ini.value(kSection, QStringLiteral("Port")).trimmed();
  if (!port.isEmpty()) s.portName = port;

  const QString baud = ini.value(kSection, QStringLiteral("BaudRate")).trimmed();
  if (baud.compare(QLatin1String("Custom"), Qt::CaseInsensitive) == 0) {
    s.baudRate = 0;
    bool ok = false;
    const int custom = ini.value(kSection, QStringLiteral("CustomBaudRate"), QStringLiteral("9600")).trimmed().toInt(&ok);
    s.customBaudRate = ok && custom > 0 ? custom : 9600;
  } else if (!baud.isEmpty()) {
    bool ok = false;
    const int rate = baud.toInt(&ok);
    if (ok && std::find(kBaudRates.begin(), kBaudRates.end(), rate) != kBaudRates.end()) s.baudRate = rate;
  }

  bool ok = false;
  const int dataBits = ini.value(kSection, QStringLiteral("DataBits")).trimmed().toInt(&ok);
  if (ok && dataBits >= 5 && dataBits <= 8) s.dataBits = dataBits;
  fromName(ini.value(kSection, QStringLiteral("StopBits")).trimmed(), kStopBits, s.stopBits);
  fromName(ini.value(kSection, QStringLiteral("Parity")).trimmed(), kParity, s.parity);
  fromName(ini.value(kSection, QStringLiteral("FlowControl")).trimmed(), kFlow, s.flowControl);

  // A file that does not name the network is a serial port's, whatever
  // the settings were before (Rear.ini over TCP, then an old Front.ini).
  if (!fromName(ini.value(kSection, QStringLiteral("Link")).trimmed(), kLink, s.link))
    s.link = PortSettings::Link::Serial;
  const QString host = ini.value(kSection, QStringLiteral("Host")).trimmed();
  if (!host.isEmpty()) s.host = host;
  const int tcpPort = ini.value(kSection, QStringLiteral("TcpPort")).trimmed().toInt(&ok);
  if (ok && validTcpPort(tcpPort)) s.tcpPort = tcpPort;
  fromName(ini.value(kSection, QStringLiteral("TcpMode")).trimmed(), kTcpMode, s.tcpMode);
  settings = s;
  return true;
}

bool savePortSettings(const QString& iniPath, const PortSettings& settings) {
  IniFile ini;
  // Keep what else the file holds; a file that cannot be read is not
  // overwritten unless it does not exist yet.
  if (!ini.load(iniPath) && QFile::exists(iniPath)) return false;
  ini.setValue(kSection, QStringLiteral("Port"), settings.portName);
  if (settings.baudRate == 0) {
    ini.setValue(kSection, QStringLiteral("BaudRate"), QStringLiteral("Custom"));
    ini.setValue(kSection, QStringLiteral("CustomBaudRate"), QString::number(settings.customBaudRate));
  } else {
    ini.setValue(kSection, QStringLiteral("BaudRate"), QString::number(settings.baudRate));
  }
  ini.setValue(kSection, QStringLiteral("StopBits"), toName(settings.stopBits, kStopBits));
  ini.setValue(kSection, QStringLiteral("DataBits"), QString::number(settings.dataBits));
  ini.setValue(kSection, QStringLiteral("Parity"), toName(settings.parity, kParity));
  ini.setValue(kSection, QStringLiteral("FlowControl"), toName(settings.flowControl, kFlow));
  const bool hasNetworkKeys = std::any_of(std::begin(kNetworkKeys), std::end(kNetworkKeys), [&](const char* key) {
    return ini.contains(kSection, QLatin1String(key));
  });
  if (settings.link == PortSettings::Link::Tcp || hasNetworkKeys) {
    ini.setValue(kSection, QStringLiteral("Link"), toName(settings.link, kLink));
    ini.setValue(kSection, QStringLiteral("Host"), settings.host);
    ini.setValue(kSection, QStringLiteral("TcpPort"), QString::number(settings.tcpPort));
    ini.setValue(kSection, QStringLiteral("TcpMode"), toName(settings.tcpMode, kTcpMode));
  }
  return ini.save(iniPath);
}

}  // namespace vmk
