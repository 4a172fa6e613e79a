#include "changelog/change_log.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QStandardPaths>
#include <algorithm>
#include <functional>

#include "changelog/messages.h"
#include "changelog/system_calls.h"
#include "device/session.h"
#include "extlib/wire_table.h"
#include "model/clock.h"

namespace vmk {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

QString systemUser() {
  QString user = qEnvironmentVariable("USER");
  if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
  if (user.isEmpty()) user = changelog::accountName();
  return user;
}

QJsonValue optionalNumber(const std::optional<int>& v) {
  return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

std::optional<int> numberOf(const QJsonValue& v) {
  if (!v.isDouble()) return std::nullopt;
  return v.toInt();
}

const QList<std::pair<Outcome, const char*>>& outcomeNames() {
  static const QList<std::pair<Outcome, const char*>> names{
      {Outcome::Done, "done"},
      {Outcome::NoAnswer, "no-answer"},
      {Outcome::BadReply, "bad-reply"},
      {Outcome::DeviceRefused, "refused"},
      {Outcome::PortFailure, "port-failure"},
      {Outcome::Cancelled, "cancelled"},
      {Outcome::WrongPassword, "wrong-password"},
      {Outcome::InputRefused, "input-refused"}};
  return names;
}

const QList<std::pair<ReadBack, const char*>>& readBackNames() {
  static const QList<std::pair<ReadBack, const char*>> names{{ReadBack::NotChecked, "not-checked"},
                                                            {ReadBack::Holds, "holds"},
                                                            {ReadBack::Differs, "differs"},
                                                            {ReadBack::NotRead, "not-read"}};
  return names;
}

template <class E>
QString nameOf(const QList<std::pair<E, const char*>>& names, E value) {
  for (const auto& [v, n] : names)
    if (v == value) return QString::fromLatin1(n);
  return {};
}

template <class E>
std::optional<E> valueOf(const QList<std::pair<E, const char*>>& names, const QString& name) {
  for (const auto& [v, n] : names)
    if (name == QLatin1String(n)) return v;
  return std::nullopt;
}

}  // namespace

QJsonObject toJson(const ChangeRecord& r) {
  const DeviceChange& c = r.change;
  QJsonObject o{{QStringLiteral("time"), r.time.toString(kTimeFormat)},
                {QStringLiteral("user"), r.user},
                {QStringLiteral("device"), r.device},
                {QStringLiteral("serial"), r.serial},
                {QStringLiteral("address"), c.address},
                {QStringLiteral("operation"), c.operation},
                {QStringLiteral("function"), c.function},
                {QStringLiteral("register"), optionalNumber(c.reg)},
                {QStringLiteral("before"),
                 optionalNumber(c.before ? std::optional<int>(*c.before) : std::nullopt)},
                {QStringLiteral("after"), c.after},
                {QStringLiteral("outcome"), nameOf(outcomeNames(), c.outcome)},
                {QStringLiteral("readBack"), nameOf(readBackNames(), c.readBack)},
                {QStringLiteral("readValue"),
                 optionalNumber(c.readValue ? std::optional<int>(*c.readValue) : std::nullopt)}};
  return o;
}

std::optional<ChangeRecord> recordFromJson(const QJsonObject& o) {
  ChangeRecord r;
  r.time = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), kTimeFormat);
  const std::optional<Outcome> outcome =
      valueOf(outcomeNames(), o.value(QStringLiteral("outcome")).toString());
  const std::optional<ReadBack> readBack =
      valueOf(readBackNames(), o.value(QStringLiteral("readBack")).toString());
  if (!r.time.isValid() || !outcome || !readBack || !o.value(QStringLiteral("serial")).isDouble())
    return std::nullopt;
  r.user = o.value(QStringLiteral("user")).toString();
  r.device = o.value(QStringLiteral("device")).toString();
  r.serial = o.value(QStringLiteral("serial")).toInt();
  DeviceChange& c = r.change;
  c.address = o.value(QStringLiteral("address")).toInt();
  c.operation = o.value(QStringLiteral("operation")).toString();
  c.function = o.value(QStringLiteral("function")).toInt();
  c.reg = numberOf(o.value(QStringLiteral("register")));
  if (const auto b = numberOf(o.value(QStringLiteral("before")))) c.before = std::uint16_t(*b);
  c.after = o.value(QStringLiteral("after")).toString();
  c.outcome = *outcome;
  c.readBack = *readBack;
  if (const auto v = numberOf(o.value(QStringLiteral("readValue")))) c.readValue = std::uint16_t(*v);
  return r;
}

QString recordTimeText(const QDateTime& time) { return time.toString(kTimeFormat); }

QString outcomeText(Outcome o) {
  switch (o) {
    case Outcome::Done: return QStringLiteral("выполнено");
    case Outcome::NoAnswer: return QStringLiteral("нет ответа");
    case Outcome::BadReply: return QStringLiteral("неверный ответ");
    case Outcome::DeviceRefused: return QStringLiteral("отказ устройства");
    case Outcome::PortFailure: return QStringLiteral("ошибка порта");
    case Outcome::Cancelled: return QStringLiteral("прервано");
    case Outcome::WrongPassword: return QStringLiteral("неверный пароль");
    case Outcome::InputRefused: return QStringLiteral("отклонено");
  }
  return {};
}

QString readBackText(ReadBack r, const std::optional<std::uint16_t>& value) {
  return readBackText(r, QString::number(value.value_or(0)));
}

QString readBackText(ReadBack r, const QString& value) {
  switch (r) {
    case ReadBack::NotChecked: return QStringLiteral("не проверялось");
    case ReadBack::Holds: return QStringLiteral("совпадает");
    case ReadBack::Differs: return QStringLiteral("не совпадает: прочитано %1").arg(value);
    case ReadBack::NotRead: return QStringLiteral("не прочитано");
  }
  return {};
}

QString recordLine(const ChangeRecord& r) {
  const DeviceChange& c = r.change;
  auto opt = [](const auto& v) { return v ? QString::number(*v) : QStringLiteral("-"); };
  return QStringList{r.time.toString(kTimeFormat), r.user, r.device, QString::number(r.serial),
                     QString::number(c.address), c.operation, opt(c.reg), opt(c.before), c.after,
                     outcomeText(c.outcome), readBackText(c.readBack, c.readValue)}
      .join(QLatin1Char('\t'));
}

ChangeLog::ChangeLog(QString folder) : m_folder(folder.isEmpty() ? defaultFolder() : folder) {}

QString ChangeLog::defaultFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/vmk/changes");
}

QString ChangeLog::fileOf(const QString& name, int serial) const {
  QString safe = name.trimmed();
  for (QChar& c : safe)
    if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('.')) c = QLatin1Char('_');
  if (safe.isEmpty()) safe = QStringLiteral("_");
  return m_folder + QStringLiteral("/%1_%2.jsonl").arg(safe).arg(serial);
}

QString ChangeLog::oldFileOf(int serial) const {
  return m_folder + QStringLiteral("/%1.jsonl").arg(serial);
}

bool ChangeLog::append(const ChangeRecord& r) {
  const QString path = fileOf(r.device, r.serial);
  auto fail = [this, &path](const QString& why) {
    if (!m_failure) m_failure = msg::changelog::writeFailed(path, why);
    return false;
  };
  if (!QDir().mkpath(m_folder)) return fail(QStringLiteral("не удалось создать папку %1").arg(m_folder));
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) return fail(file.errorString());
  // One write of the whole line, so that a crash tears at most this one;
  // a line torn before ends first, so that it does not take this one down.
  QByteArray line = QJsonDocument(toJson(r)).toJson(QJsonDocument::Compact) + '\n';
  char last = '\n';
  if (file.size() > 0 && (!file.seek(file.size() - 1) || !file.getChar(&last)))
    return fail(file.errorString());
  if (last != '\n') line.prepend('\n');
  if (file.write(line) != line.size() || !file.flush()) return fail(file.errorString());
  if (const std::optional<QString> error = changelog::syncToDisk(file)) return fail(*error);
  return true;
}

std::optional<QString> ChangeLog::takeFailure() {
  std::optional<QString> f;
  f.swap(m_failure);
  return f;
}

void ChangeLog::attach(Session& session, const Clock& clock) {
  session.changes = [this, &session, &clock](const DeviceChange& c) {
    ChangeRecord r;
    r.time = clock.now();
    r.user = systemUser();
    r.device = session.vmk.Name;
    r.serial = session.vmk.SerialNumber;
    r.change = c;
    append(r);
  };
}

namespace {

bool isRegisterWrite(const DeviceChange& c) { return c.function == wire::kWriteRegister; }

// A write checked later, with others of its block, is followed by a
// read-back record of its own (function 3, same device, address, register
// and value sent). Each such record is joined to the latest write before
// it that it checks and that has no read-back yet; one that finds no write
// (its write's line torn) stays a line of its own.
void joinReadBacks(QVector<ChangeRecord>& records) {
  QVector<ChangeRecord> joined;
  joined.reserve(records.size());
  for (const ChangeRecord& r : records) {
    const DeviceChange& c = r.change;
    if (c.function == wire::kReadHolding && c.readBack != ReadBack::NotChecked) {
      auto write = std::find_if(joined.rbegin(), joined.rend(), [&](const ChangeRecord& w) {
        return isRegisterWrite(w.change) && w.change.readBack == ReadBack::NotChecked &&
               w.change.outcome == Outcome::Done && w.serial == r.serial &&
               w.device == r.device && w.change.address == c.address &&
               w.change.reg == c.reg && w.change.after == c.after;
      });
      if (write != joined.rend()) {
        write->change.readBack = c.readBack;
        write->change.readValue = c.readValue;
        continue;
      }
    }
    joined << r;
  }
  records = joined;
}

}  // namespace

ChangeLogReading readChangeLog(const QString& path) {
  ChangeLogReading out;
  QFile file(path);
  out.exists = file.exists();
  if (!out.exists) return out;
  if (!file.open(QIODevice::ReadOnly)) {
    out.error = file.errorString();
    return out;
  }
  const QList<QByteArray> lines = file.readAll().split('\n');
  for (const QByteArray& line : lines) {
    if (line.trimmed().isEmpty()) continue;
    QJsonParseError e;
    const QJsonDocument d = QJsonDocument::fromJson(line, &e);
    const std::optional<ChangeRecord> r =
        d.isObject() ? recordFromJson(d.object()) : std::nullopt;
    if (r) out.records << *r;
    else ++out.damaged;
  }
  joinReadBacks(out.records);
  return out;
}

namespace {

// The records of `files` that `counts` takes, in the files' order.
ChangeLogReading readLogs(const QStringList& files,
                          const std::function<bool(const ChangeRecord&)>& counts) {
  ChangeLogReading out;
  for (const QString& path : files) {
    const ChangeLogReading one = readChangeLog(path);
    out.exists = out.exists || one.exists;
    out.damaged += one.damaged;
    if (!one.error.isEmpty() && out.error.isEmpty()) {
      out.error = one.error;
      out.errorFile = path;
    }
    for (const ChangeRecord& r : one.records)
      if (counts(r)) out.records << r;
  }
  return out;
}

}  // namespace

ChangeLogReading readDeviceLog(const ChangeLog& log, const QString& name, int serial) {
  // The old file holds every name of this number, and two names may make
  // one file name: a record counts for the device it names.
  return readLogs({log.oldFileOf(serial), log.fileOf(name, serial)}, [&](const ChangeRecord& r) {
    return r.serial == serial && r.device.trimmed() == name.trimmed();
  });
}

ChangeLogReading readNumberLog(const ChangeLog& log, int serial) {
  QStringList files{log.oldFileOf(serial)};
  const QDir folder(log.folder());
  for (const QString& f : folder.entryList({QStringLiteral("*_%1.jsonl").arg(serial)}, QDir::Files, QDir::Name))
    files << folder.filePath(f);
  ChangeLogReading out = readLogs(files, [serial](const ChangeRecord& r) { return r.serial == serial; });
  std::stable_sort(out.records.begin(), out.records.end(),
                   [](const ChangeRecord& a, const ChangeRecord& b) { return a.time < b.time; });
  return out;
}

QVector<ChangeRecord> filterRecords(const QVector<ChangeRecord>& records, const QString& filter) {
  if (filter.trimmed().isEmpty()) return records;
  QVector<ChangeRecord> out;
  for (const ChangeRecord& r : records)
    if (recordLine(r).contains(filter.trimmed(), Qt::CaseInsensitive)) out << r;
  return out;
}

}  // namespace vmk
