#pragma once
// The change log: every change the configurator makes to a device, one
// record per change, in a file per device (by factory number) in the
// user's data folder. The file is only ever appended to, one JSON object a
// line, each line written and flushed to disk before the next change is
// sent; a line torn by a crash is the last one and is passed over when
// reading.

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
QString outcomeText(Outcome o);
QString readBackText(ReadBack r, const std::optional<std::uint16_t>& value);

class ChangeLog {
 public:
  // `folder` empty: changeLogFolder().
  explicit ChangeLog(QString folder = {});

  // The user's data folder for the logs: <GenericDataLocation>/vmk/changes.
  static QString defaultFolder();
  QString folder() const { return m_folder; }
  QString fileOf(int serial) const;

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
  QVector<ChangeRecord> records;
  int damaged = 0;
};
ChangeLogReading readChangeLog(const QString& path);

// The records whose line contains `filter` (any case); all for an empty one.
QVector<ChangeRecord> filterRecords(const QVector<ChangeRecord>& records, const QString& filter);

}  // namespace vmk
