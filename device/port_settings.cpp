#include "device/port_settings.h"

#include <QFile>
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

}  // namespace

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
  return ini.save(iniPath);
}

}  // namespace vmk
