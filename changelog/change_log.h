#pragma once
// The change log: every change the configurator makes to a device, one
// record per change, in a file per device (by its name and factory
// number: devices of two kinds may carry the same number) in the user's
// data folder. The file is only ever appended to, one JSON object a line,
// each line written and flushed to disk before the next change is sent; a
// line torn by a crash is the last one and is passed over when reading.
// The logs kept by factory number alone before are still read, for the
// device each record names.

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVector>
#include <optional>

#include "device/device_change.h"

namespace vmk {

class Clock;
class Session;

struct ChangeRecord {
  QDateTime time;  // the PC's
  QString user;    // the operating-system user
  QString device;  // the device's name
  int serial = 0;  // its factory number
  DeviceChange change;
};

QJsonObject toJson(const ChangeRecord& r);
// Nothing for an object that is no record.
std::optional<ChangeRecord> recordFromJson(const QJsonObject& o);
// One line for reading: time, user, device, factory number, address,
// operation, register, before, after, outcome, read-back, tab-separated.
QString recordLine(const ChangeRecord& r);
// The time of a record as the log file and its readers write it.
QString recordTimeText(const QDateTime& time);
QString outcomeText(Outcome o);
QString readBackText(ReadBack r, const std::optional<std::uint16_t>& value);
// The same with the value read back as the caller shows it ("22,50 In").
QString readBackText(ReadBack r, const QString& value);

class ChangeLog {
 public:
  // `folder` empty: changeLogFolder().
  explicit ChangeLog(QString folder = {});

  // The user's data folder for the logs: <GenericDataLocation>/vmk/changes.
  static QString defaultFolder();
  QString folder() const { return m_folder; }
  // The device's file: "<name>_<number>.jsonl", of the name trimmed with
  // every character but a letter, a digit, '-' and '.' made '_' ("_" for
  // no name), e.g. "ВМК-01.01_4321.jsonl".
  QString fileOf(const QString& name, int serial) const;
  // The file of the logs before they were kept by name: "<number>.jsonl".
  QString oldFileOf(int serial) const;

  // Appends one record and flushes it to disk. False when it could not be
  // written; the first failure since takeFailure() is kept.
  bool append(const ChangeRecord& r);
  // The message of a failure to write (then forgotten), or nothing.
  std::optional<QString> takeFailure();

  // Sets the session's change sink: each change becomes a record of the
  // device the session holds, at the clock's time.
  void attach(Session& session, const Clock& clock);

 private:
  QString m_folder;
  std::optional<QString> m_failure;
};

// What a log file holds: the records in order, and how many lines were no
// record (a line torn by a crash).
struct ChangeLogReading {
  bool exists = false;
  QString error;  // the file is there but cannot be read
  QString errorFile;  // the file of `error`
  QVector<ChangeRecord> records;
  int damaged = 0;
};
ChangeLogReading readChangeLog(const QString& path);

// A device's log: the records of the old file by number that name the
// device, then those of its own file.
ChangeLogReading readDeviceLog(const ChangeLog& log, const QString& name, int serial);
// The logs of every device name with this factory number (the old file's
// and each name's file), in time order.
ChangeLogReading readNumberLog(const ChangeLog& log, int serial);

// The records whose line contains `filter` (any case); all for an empty one.
QVector<ChangeRecord> filterRecords(const QVector<ChangeRecord>& records, const QString& filter);

}  // namespace vmk
