#pragma once
// The configuration file of an oscillogram pair in the device maker's form
// (ASCII COMTRADE of 1991 with the maker's habits: a station line with
// commas, day-first two-digit-year dates, Windows-1251 names), and what
// the digital channels are called: the functions assigned to each channel
// by the recorder's channel-assignment registers, named by the viewer
// library's list of recorder functions.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "journals/osc_samples.h"

namespace vmk {

struct RegisterWords;

namespace osc {

// The viewer library's list of the recorder's digital-channel functions.
constexpr int kFunctionListKind = 7;
constexpr int kFunctions = 32;

// The bit of a channel's 32-bit assignment value that assigns function i
// (0..31): i + 16 for 0..10, i - 11 for 11..26, i for 27..31.
int functionBit(int i);

// Channel n (1..16): the low word at register 190 + 2n, the high word
// after it, read together as high × 65536 + low.
std::uint32_t channelAssignment(const RegisterWords& channels, int n);

// The functions (0..31, in order) that `assignment` gives its channel.
QList<int> assignedFunctions(std::uint32_t assignment);

// What the configuration file says besides the fixed lines.
struct CfgHeader {
  QString station;         // "%s, заводской №%d, версия ПО %s"
  int phaseRatio = 1;
  int earthRatio = 1;
  QDateTime alarmTime;     // the first sample's moment
  // Digital channel n is named by element n - 1: its functions' names
  // joined by "+" (empty for a channel without functions).
  std::array<QString, kDigitalChannels> channelNames;
};

// The station line of the connected device.
QString stationLine(const QString& name, int serialNumber, const QString& versionText);

// The 28 lines, without line ends.
QStringList comtradeCfgLines(const CfgHeader& header);
// The lines in Windows-1251, each ended by CR LF.
QByteArray comtradeCfgFile(const CfgHeader& header);

}  // namespace osc
}  // namespace vmk
