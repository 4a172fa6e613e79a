#include "journals/comtrade_cfg.h"

#include "device/device_client.h"
#include "extlib/charset.h"
#include "extlib/registers.h"

namespace vmk::osc {

namespace {

// "dd/mm/yy,hh:nn:ss" of the alarm, followed by the fraction of a second.
QString stamp(const QDateTime& t, const char* fraction) {
  return t.toString(QStringLiteral("dd/MM/yy,HH:mm:ss")) + QLatin1String(fraction);
}

QString analogLine(int n, const char* id, double multiplier) {
  return QString::asprintf("%02d,", n) + QStringLiteral("Ток ") + QLatin1String(id) +
         QString::asprintf(",,,A,%.6f,0.000000,0,-32768,32767", multiplier);
}

}  // namespace

int functionBit(int i) {
  if (i <= 10) return i + 16;
  if (i <= 26) return i - 11;
  return i;
}

std::uint32_t channelAssignment(const RegisterWords& channels, int n) {
  const int low = reg::kChannels.first + 2 * (n - 1);
  return std::uint32_t(channels.at(low + 1)) << 16 | channels.at(low);
}

QList<int> assignedFunctions(std::uint32_t assignment) {
  QList<int> out;
  for (int i = 0; i < kFunctions; ++i)
    if (assignment >> functionBit(i) & 1u) out << i;
  return out;
}

QString stationLine(const QString& name, int serialNumber, const QString& versionText) {
  return QStringLiteral("%1, заводской №%2, версия ПО %3").arg(name).arg(serialNumber).arg(versionText);
}

QStringList comtradeCfgLines(const CfgHeader& h) {
  QStringList l;
  l << h.station << QStringLiteral("20,4A,16D");
  const double phase = h.phaseRatio / 100.0;
  l << analogLine(1, "Ia", phase) << analogLine(2, "Ib", phase) << analogLine(3, "Ic", phase)
    << analogLine(4, "Io", h.earthRatio / 1000.0);
  for (int n = 1; n <= kDigitalChannels; ++n)
    l << QString::number(n) + QLatin1Char(',') + h.channelNames[std::size_t(n - 1)] +
             QLatin1String(",0");
  l << QStringLiteral("50") << QStringLiteral("1")
    << QStringLiteral("%1,%2").arg(kRate).arg(kSamples);
  l << stamp(h.alarmTime, ".000000") << stamp(h.alarmTime, ".500000") << QStringLiteral("ASCII");
  return l;
}

QByteArray comtradeCfgFile(const CfgHeader& header) {
  QByteArray out;
  for (const QString& line : comtradeCfgLines(header)) out += cp1251::encode(line) + "\r\n";
  return out;
}

}  // namespace vmk::osc
