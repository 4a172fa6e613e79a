#include "batch/batch_run.h"

#include "batch/messages.h"
#include "batch/once_prompts.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <map>

#include "device/session.h"
#include "extlib/transport_error.h"
#include "journals/alarm_list.h"
#include "journals/csv_file.h"
#include "journals/journal_kinds.h"
#include "link/connection.h"
#include "link/polling.h"
#include "model/job.h"
#include "model/text_grid.h"
#include "model/text_list.h"
#include "params/param_set.h"
#include "params/read_params.h"
#include "params/settings_file.h"

namespace vmk::batch {

namespace {

namespace m = msg::batch;

constexpr int kNetAddresses = 32;

using State = Item::State;

// A whole file or nothing.
bool saveWhole(const QString& path, const QByteArray& bytes, QString* why) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
    *why = f.errorString();
    return false;
  }
  return true;
}

QString outcomeWhy(Outcome o) {
  switch (o) {
    case Outcome::Done: return {};
    case Outcome::NoAnswer: return m::kNoAnswer;
    case Outcome::BadReply: return m::kBadReply;
    case Outcome::DeviceRefused: return m::kDeviceRefused;
    case Outcome::PortFailure: return m::kPortFailure;
    case Outcome::Cancelled: return m::kCancelled;
    case Outcome::WrongPassword: return m::kWrongPassword;
    case Outcome::InputRefused: return m::kInputRefused;
  }
  return {};
}

QByteArray jsonBytes(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Indented); }

// What one device's run has to go on with.
class DeviceRun {
 public:
  DeviceRun(Session& s, JobControl& jobs, Prompts& prompts, const osc::FunctionNames& names,
            const Options& o, const ProgressLine& progress, DeviceRecord& record, QDir folder)
      : m_s(s), m_jobs(jobs), m_prompts(prompts), m_names(names), m_o(o), m_progress(progress),
        m_record(record), m_folder(std::move(folder)) {}

  // False when the run must stop (a cancel or a port failure); `stop` says why.
  bool run(const Connection& c, Outcome& stop);

 private:
  bool wants(Part p) const { return m_o.parts.contains(p); }
  // A cancel asked for between two operations (no job runs to see it).
  bool cancelled(Outcome& stop) {
    if (!m_jobs.cancelRequested()) return false;
    stop = Outcome::Cancelled;
    return true;
  }
  bool exists(const QString& file) const { return QFile::exists(m_folder.filePath(file)); }
  void note(const QString& what) const {
    if (m_progress) m_progress(m_record.address, what);
  }
  void add(Part p, const QString& file, State state, const QString& why = {}) {
    m_record.items.append(Item{partName(p), file, state, why});
  }
  // A failed exchange: recorded; true when the batch goes on.
  bool failed(Part p, const QString& file, Outcome o, Outcome& stop) {
    add(p, file, State::Failed, outcomeWhy(o));
    if (o == Outcome::Cancelled) {
      stop = o;
      return false;
    }
    m_record.failed = true;
    if (m_record.why.isEmpty()) m_record.why = outcomeWhy(o);
    if (o == Outcome::PortFailure) {
      stop = o;
      return false;
    }
    return true;
  }
  bool write(Part p, const QString& file, const QByteArray& bytes) {
    QString why;
    if (!saveWhole(m_folder.filePath(file), bytes, &why)) {
      add(p, file, State::Failed, why);
      m_record.failed = true;
      return false;
    }
    add(p, file, State::Written);
    return true;
  }

  bool params(Outcome& stop);
  bool journal(Part p, Outcome& stop, QList<AlarmRow>* alarms);
  bool oscillograms(const QList<AlarmRow>& alarms, Outcome& stop);

  Session& m_s;
  JobControl& m_jobs;
  Prompts& m_prompts;
  const osc::FunctionNames& m_names;
  const Options& m_o;
  const ProgressLine& m_progress;
  DeviceRecord& m_record;
  QDir m_folder;
};

bool DeviceRun::run(const Connection& c, Outcome& stop) {
  if (cancelled(stop)) return false;
  if (wants(Part::Info)) {
    const QString file = QStringLiteral("info.txt");
    if (exists(file)) add(Part::Info, file, State::Skipped);
    else write(Part::Info, file, (c.report.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
  }
  if (wants(Part::Params) && !params(stop)) return false;
  const bool journals = hasJournals(m_s.vmk);
  for (Part p : {Part::Events, Part::Stats}) {
    if (!wants(p)) continue;
    if (cancelled(stop)) return false;
    if (!journals) add(p, {}, State::NotAvailable, m::kNoJournals);
    else if (!journal(p, stop, nullptr)) return false;
  }
  // The oscillograms need the alarm list, asked again for them.
  if (wants(Part::Alarms) || wants(Part::Osc)) {
    if (!journals) {
      for (Part p : {Part::Alarms, Part::Osc})
        if (wants(p)) add(p, {}, State::NotAvailable, m::kNoJournals);
      return true;
    }
    QList<AlarmRow> alarms;
    if (cancelled(stop) || !journal(Part::Alarms, stop, &alarms)) return false;
    if (wants(Part::Osc) && !oscillograms(alarms, stop)) return false;
  }
  return true;
}

bool DeviceRun::params(Outcome& stop) {
  for (int group : {1, 2}) {
    const QString file = QStringLiteral("group%1.ust").arg(group);
    if (exists(file)) {
      add(Part::Params, file, State::Skipped);
      continue;
    }
    if (cancelled(stop)) return false;
    note(m::kReadingGroup.arg(group));
    ParamSet set(group);
    const ParamReadResult read = readParameters(m_s, group, set, m_s.vmk.setup);
    if (!read.ok()) {
      if (!failed(Part::Params, file, read.outcome, stop)) return false;
      continue;
    }
    const SettingsFileResult saved = saveSettingsFile(m_folder.filePath(file), set);
    if (saved.ok()) {
      add(Part::Params, file, State::Written);
    } else {
      add(Part::Params, file, State::Failed, saved.message);
      m_record.failed = true;
    }
  }
  return true;
}

bool DeviceRun::journal(Part p, Outcome& stop, QList<AlarmRow>* alarms) {
  const QString name = partName(p);
  const QString csv = name + QStringLiteral(".csv");
  const QString json = name + QStringLiteral(".json");
  // The alarm list is read again for the oscillograms even when its files
  // are there: its entries name them.
  if (exists(csv) && exists(json) && !alarms) {
    add(p, csv, State::Skipped);
    add(p, json, State::Skipped);
    return true;
  }
  // A journal part is named as its journal's verb.
  const JournalSpec* found = journalOfVerb(name);
  if (!found) return true;  // not a journal: nothing to read
  const JournalSpec& spec = *found;
  note(spec.caption);
  const JournalReading r = readJournal(spec, m_s, m_jobs, m_o.today);
  const Outcome outcome = r.outcome;
  if (alarms) *alarms = r.alarms;
  // A journal that is not whole is never written: it would read as the
  // whole journal.
  if (outcome != Outcome::Done) return failed(p, csv, outcome, stop);
  if (!wants(p)) return true;  // read for the oscillograms only
  if (exists(csv) && exists(json)) {
    add(p, csv, State::Skipped);
    add(p, json, State::Skipped);
    return true;
  }
  QList<QStringList> table;
  for (const auto& [row, cells] : r.rows) table << cells;
  QString why;
  if (writeCsvFile(m_folder.filePath(csv), spec.columnNames(), table, &why)) {
    add(p, csv, State::Written);
  } else {
    add(p, csv, State::Failed, why);
    m_record.failed = true;
  }
  write(p, json, jsonBytes(QJsonObject{{spec.jsonKey, r.items}}));
  return true;
}

bool DeviceRun::oscillograms(const QList<AlarmRow>& alarms, Outcome& stop) {
  for (const AlarmRow& a : alarms) {
    if (!a.valid) continue;
    // The entry and its alarm time name the pair: an entry that recorded
    // another fault since is another file.
    const QString base = QStringLiteral("osc-%1-%2")
                             .arg(a.entry, 2, 10, QLatin1Char('0'))
                             .arg(a.when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString cfg = base + QStringLiteral(".cfg");
    if (exists(cfg) && exists(base + QStringLiteral(".dat"))) {
      add(Part::Osc, cfg, State::Skipped);
      continue;
    }
    if (cancelled(stop)) return false;
    note(m::kReadingOscillogram.arg(a.entry).arg(a.when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))));
    osc::Target t;
    t.entry = a.entry;
    t.phaseRatio = a.phaseRatio;
    t.earthRatio = a.earthRatio;
    t.alarmTime = a.when;
    t.base = m_folder.filePath(base);
    t.form = m_o.form;
    const osc::DownloadResult r = osc::downloadOscillogram(m_s, m_jobs, nullptr, m_prompts, m_names, t);
    if (r.outcome != Outcome::Done) {
      if (!r.error.isEmpty()) {
        add(Part::Osc, cfg, State::Failed, r.error);
        m_record.failed = true;
        continue;
      }
      if (!failed(Part::Osc, cfg, r.outcome, stop)) return false;
      continue;
    }
    if (r.cfgWritten) add(Part::Osc, cfg, State::Written);
    else add(Part::Osc, base + QStringLiteral(".dat"), State::Written, m::kNoViewLibrary);
  }
  return true;
}

}  // namespace

QString partName(Part part) {
  switch (part) {
    case Part::Info: return QStringLiteral("info");
    case Part::Params: return QStringLiteral("params");
    case Part::Events: return QStringLiteral("events");
    case Part::Stats: return QStringLiteral("stats");
    case Part::Alarms: return QStringLiteral("alarms");
    case Part::Osc: return QStringLiteral("osc");
  }
  return {};
}

std::optional<QSet<Part>> parseParts(const QString& list) {
  QSet<Part> out;
  for (const QString& word : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    bool found = false;
    for (Part p : {Part::Info, Part::Params, Part::Events, Part::Stats, Part::Alarms, Part::Osc})
      if (word.trimmed() == partName(p)) {
        out.insert(p);
        found = true;
      }
    if (!found) return std::nullopt;
  }
  if (out.isEmpty()) return std::nullopt;
  return out;
}

std::optional<QList<int>> parseAddresses(const QString& list) {
  static const QRegularExpression range(QStringLiteral(R"(^\s*(\d{1,2})\s*(?:-\s*(\d{1,2})\s*)?$)"));
  QList<int> out;
  for (const QString& word : list.split(QLatin1Char(','))) {
    const QRegularExpressionMatch m = range.match(word);
    if (!m.hasMatch()) return std::nullopt;
    const int from = m.captured(1).toInt();
    const int to = m.captured(2).isEmpty() ? from : m.captured(2).toInt();
    if (from < 1 || to > kNetAddresses || from > to) return std::nullopt;
    for (int a = from; a <= to; ++a)
      if (!out.contains(a)) out << a;
  }
  std::sort(out.begin(), out.end());
  return out;
}

QString stateName(Item::State state) {
  switch (state) {
    case State::Written: return QStringLiteral("written");
    case State::Skipped: return QStringLiteral("skipped");
    case State::Failed: return QStringLiteral("failed");
    case State::NotAvailable: return QStringLiteral("not available");
  }
  return {};
}

Result runBatch(Session& session, JobControl& jobs, Prompts& userPrompts,
                const osc::FunctionNames& names, const Options& options,
                const ProgressLine& progress) {
  OncePrompts prompts(userPrompts);
  Result result;
  QDir dir(options.dir);
  if (!dir.mkpath(QStringLiteral("."))) {
    result.outcome = Outcome::InputRefused;
    result.indexError = m::kFolderNotCreated.arg(options.dir);
    return result;
  }
  PortBracket bracket(session);
  // After each device the index is that of a batch not yet finished: one
  // cut off there (the program ended, the power went) must not read as
  // complete.
  const auto index = [&](bool finished = false) {
    QString why;
    if (!writeIndex(options.dir, options, result, &why, finished)) result.indexError = why;
  };

  // A port that goes while the bus is polled or a device connected stops
  // the batch as one that goes in a device's run does: with the index.
  const auto work = [&] {
    // Who answers.
    QList<int> addresses;
    if (options.addresses.isEmpty()) {
      if (progress) progress(0, m::kPolling);
      TextList list;
      const PollResult poll = pollNetwork(session, options.connector, list, nullptr, jobs);
      for (const PolledAddress& a : poll.addresses) {
        if (a.status && *a.status < 4) addresses << a.address;
        else result.silent << a.address;
      }
      if (poll.outcome == Outcome::Cancelled) {
        result.outcome = Outcome::Cancelled;
        return;
      }
    } else {
      addresses = options.connector == Connector::Front ? QList<int>{kFrontAddress} : options.addresses;
    }

    for (int address : addresses) {
      if (jobs.cancelRequested()) {
        result.outcome = Outcome::Cancelled;
        break;
      }
      if (progress) progress(address, m::kConnecting);
      DeviceRecord record;
      record.address = address;
      Connection c;
      try {
        c = connectDevice(session, std::uint8_t(address), options.today);
      } catch (const DeviceDataError& e) {
        // An identity that cannot be decoded is this device's fault: the
        // port is sound and the next device is asked.
        record.failed = true;
        record.why = e.message();
        result.devices << record;
        index();
        continue;
      }
      if (c.failedStep == ConnectStep::Status) {
        result.silent << address;
        continue;
      }
      record.status = c.status;
      if (!c.ok()) {
        record.failed = true;
        record.why = outcomeWhy(c.outcome);
        if (c.failedStep == ConnectStep::Setup) {
          record.name = c.record.Name;
          record.serial = c.record.SerialNumber;
        }
        result.devices << record;
        index();
        continue;
      }
      record.name = c.record.Name;
      record.serial = c.record.SerialNumber;
      record.variant = c.record.DeviceVariant;
      record.folder = QStringLiteral("%1-%2").arg(address).arg(record.serial);
      if (!dir.mkpath(record.folder)) {
        record.failed = true;
        record.why = m::kFolderNotCreated.arg(dir.filePath(record.folder));
        result.devices << record;
        index();
        continue;
      }
      Outcome stop = Outcome::Done;
      DeviceRun run(session, jobs, prompts, names, options, progress, record, QDir(dir.filePath(record.folder)));
      bool goOn = false;
      try {
        goOn = run.run(c, stop);
      } catch (const std::exception& e) {
        // The port went: what was written stays, and the index says where.
        record.failed = true;
        record.why = QString::fromUtf8(e.what());
        stop = Outcome::PortFailure;
      }
      result.devices << record;
      index();
      if (!goOn) {
        result.outcome = stop;
        break;
      }
    }
  };
  try {
    work();
  } catch (const Error&) {
    // A port gone, or one that would not open again.
    result.outcome = Outcome::PortFailure;
  }
  std::sort(result.silent.begin(), result.silent.end());
  index(true);
  return result;
}

bool writeIndex(const QString& dir, const Options& options, const Result& result, QString* error,
                bool finished) {
  QJsonArray devices;
  QStringList text;
  text << m::kIndexFolder.arg(QDir(dir).absolutePath());
  QStringList parts;
  for (Part p : {Part::Info, Part::Params, Part::Events, Part::Stats, Part::Alarms, Part::Osc})
    if (options.parts.contains(p)) parts << partName(p);
  text << m::kIndexParts.arg(parts.join(QLatin1Char(',')),
                                             options.form == osc::Form::Standard ? QStringLiteral(", COMTRADE 1999") : QString());
  if (!finished) text << m::kIndexUnfinished;
  else if (result.outcome == Outcome::Cancelled) text << m::kIndexCancelled;
  else if (result.outcome != Outcome::Done) text << m::kIndexStopped.arg(outcomeWhy(result.outcome));
  text << QString();
  for (const DeviceRecord& d : result.devices) {
    QJsonArray items;
    int counts[4] = {0, 0, 0, 0};
    QStringList lines;
    for (const Item& i : d.items) {
      ++counts[int(i.state)];
      QJsonObject o{{QStringLiteral("part"), i.part},
                    {QStringLiteral("file"), i.file.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(i.file)},
                    {QStringLiteral("state"), stateName(i.state)}};
      if (!i.why.isEmpty()) o.insert(QStringLiteral("why"), i.why);
      items.append(o);
      lines << QStringLiteral("  %1 %2 %3%4").arg(stateName(i.state), -13).arg(i.part, -7)
                   .arg(i.file.isEmpty() ? QStringLiteral("-") : i.file)
                   .arg(i.why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(i.why));
    }
    QJsonObject o{{QStringLiteral("address"), d.address},
                  {QStringLiteral("status"), d.status},
                  {QStringLiteral("name"), d.name},
                  {QStringLiteral("serial"), d.serial < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(d.serial)},
                  {QStringLiteral("variant"), d.variant},
                  {QStringLiteral("folder"), d.folder.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(d.folder)},
                  {QStringLiteral("failed"), d.failed},
                  {QStringLiteral("items"), items},
                  {QStringLiteral("written"), counts[0]},
                  {QStringLiteral("skipped"), counts[1]},
                  {QStringLiteral("failures"), counts[2]}};
    if (!d.why.isEmpty()) o.insert(QStringLiteral("why"), d.why);
    devices.append(o);
    text << m::kIndexDevice.arg(d.address).arg(d.name)
                .arg(d.serial < 0 ? QStringLiteral("?") : QString::number(d.serial))
                .arg(d.folder.isEmpty() ? QString() : m::kIndexDeviceFolder.arg(d.folder));
    text << m::kIndexCounts.arg(counts[0]).arg(counts[1]).arg(counts[2])
                .arg(d.failed ? m::kIndexDeviceFailed.arg(d.why) : QString());
    text << lines;
  }
  QJsonArray silent;
  for (int a : result.silent) silent.append(a);
  QStringList silentText;
  for (int a : result.silent) silentText << QString::number(a);
  text << QString() << m::kIndexSilent.arg(silentText.isEmpty() ? QStringLiteral("-") : silentText.join(QLatin1Char(',')));
  QJsonObject index{{QStringLiteral("complete"), finished && result.outcome == Outcome::Done},
                    {QStringLiteral("cancelled"), result.outcome == Outcome::Cancelled},
                    {QStringLiteral("parts"), QJsonArray::fromStringList(parts)},
                    {QStringLiteral("standard"), options.form == osc::Form::Standard},
                    {QStringLiteral("devices"), devices},
                    {QStringLiteral("silent"), silent}};
  const QDir d(dir);
  return saveWhole(d.filePath(QStringLiteral("index.json")), jsonBytes(index), error) &&
         saveWhole(d.filePath(QStringLiteral("index.txt")), (text.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(), error);
}

}  // namespace vmk::batch
