#pragma once
// Pure codecs: reply frames into numbers, bit texts, date-times and names,
// and back. No port, no window, no file.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

#include "device/tvmk.h"
#include "extlib/reply_frame.h"

namespace vmk {

// Register word k of a register-read reply: frame bytes 3 + 2k (high) and
// 4 + 2k (low). A word beyond the data of the received frame (the two CRC
// bytes are no data) reads as 0.
std::uint16_t GetRegWord(const ReplyFrame& reply, int k);

// 32 characters "0"/"1", first = bit 31.
QString IntToBitStr(std::int32_t value);
// Bits n-1 .. 0 of value, highest first (n = 1..32).
QString LowBitsStr(std::int32_t value, int n);
// Last character = bit 0; characters other than "1" count as 0; "" -> 0.
std::uint32_t BitStrToInt(const QString& bits);
int GetBit(std::uint16_t value, int n);

int DecodeStageFlag(std::uint16_t word);
int DecodeApvFlag(std::uint16_t word);

// High nibble x 10 + low nibble; nothing when a nibble is above 9.
std::optional<int> DecodeBcd(std::uint8_t byte);

// Identity block (registers 0..8) into a fresh record. Throws
// DeviceDataError when the variant character (register 2, low byte) is not
// a decimal digit.
TVMK DecodeIdentity(const ReplyFrame& reply);
// Setup block (registers 64..86). An undefined clock (a byte that is not
// BCD) is stored so that MakeDeviceDateTime gives an invalid date-time.
SetupFields DecodeSetup(const ReplyFrame& reply);

// The six numbers as day/month/year hour:minute:second; only the low byte
// of the year counts; the two-digit year lies in the hundred years that
// begin 50 years before `today`'s year. An invalid QDateTime ("zero") when
// they do not form a valid date and time.
QDateTime MakeDeviceDateTime(int year, int month, int day, int hour, int minute, int second,
                             const QDate& today = QDate::currentDate());
QDateTime MakeDeviceDateTime(const SetupFields& setup, const QDate& today = QDate::currentDate());

struct AlarmEntry {
  bool valid = false;
  // For a valid entry whose bytes do not form a date-time: invalid QDateTime.
  QDateTime when;
};
// Entry n (0..12) of the alarm list: ten bytes from frame byte 5 + 10n.
AlarmEntry DecodeAlarmEntry(const ReplyFrame& reply, int n,
                            const QDate& today = QDate::currentDate());

QString VersionText(std::uint16_t versionWord);
QString StatCounterName(int i);

// Fields of the oscillogram data file.
QString FormatSample16(std::uint16_t sample, int width);
QString FormatSample32(std::uint32_t value, int width);

// Ratios primary / secondary truncated; nothing when secondary is 0.
std::optional<int> PhaseRatio(const SetupFields& setup);
std::optional<int> EarthRatio(const SetupFields& setup);

// "dd.MM.yyyy HH:mm:ss", the time left out when it is exactly midnight.
QString FormatDateTime(const QDateTime& moment);

}  // namespace vmk
