#include "device/system_link.h"

#include <windows.h>

#include <algorithm>

#include "extlib/win_serial_link.h"

namespace vmk {

namespace {

WinSerialSettings toWin(const PortSettings& s) {
  WinSerialSettings w;
  w.portName = s.portName;
  w.baudRate = s.effectiveBaudRate();
  w.dataBits = std::clamp(s.dataBits, 5, 8);
  switch (s.parity) {
    case PortSettings::Parity::None: w.parity = WinSerialSettings::Parity::None; break;
    case PortSettings::Parity::Odd: w.parity = WinSerialSettings::Parity::Odd; break;
    case PortSettings::Parity::Even: w.parity = WinSerialSettings::Parity::Even; break;
    case PortSettings::Parity::Mark: w.parity = WinSerialSettings::Parity::Mark; break;
    case PortSettings::Parity::Space: w.parity = WinSerialSettings::Parity::Space; break;
  }
  switch (s.stopBits) {
    case PortSettings::StopBits::One: w.stopBits = WinSerialSettings::StopBits::One; break;
    case PortSettings::StopBits::OneAndHalf: w.stopBits = WinSerialSettings::StopBits::OneAndHalf; break;
    case PortSettings::StopBits::Two: w.stopBits = WinSerialSettings::StopBits::Two; break;
  }
  w.hardwareFlow = hardwareFlowOnLine(s.flowControl);
  return w;
}

}  // namespace

std::unique_ptr<SerialLink> makeSystemLink(const PortSettings& settings) {
  return std::make_unique<WinSerialLink>(toWin(settings));
}

QString portNameExample() { return QStringLiteral("e.g. COM1"); }

QStringList systemPortNames() {
  // The serial ports the drivers announce: the values of SERIALCOMM, each
  // a port name ("\Device\Serial0" = "COM1"). Its value names hold
  // backslashes, which QSettings takes for key separators: read directly.
  QStringList names;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return names;
  for (DWORD i = 0;; ++i) {
    wchar_t valueName[256];
    DWORD nameLength = 256;
    wchar_t data[256];
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    const LONG rc = ::RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(data), &dataSize);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
    QString name = QString::fromWCharArray(data, int(dataSize / sizeof(wchar_t)));
    while (name.endsWith(QChar(0))) name.chop(1);
    if (!name.isEmpty() && !names.contains(name)) names << name;
  }
  ::RegCloseKey(key);
  // The registry keeps no order: by name, then by number ("COM2" before "COM10").
  const auto split = [](const QString& n) {
    qsizetype digits = n.size();
    while (digits > 0 && n[digits - 1].isDigit()) --digits;
    return std::pair(n.left(digits), n.mid(digits).toInt());
  };
  std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) { return split(a) < split(b); });
  return names;
}

}  // namespace vmk
