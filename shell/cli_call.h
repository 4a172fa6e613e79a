#pragma once
// One vmkctl command as a registered command sees it: the session on the
// chosen port and address, the prompts answered from the options, the
// command's words and options, and where its output goes (text lines for
// the plain form, typed fields for --json). ctl/ builds it from argv.

#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace vmk {

class ChangeLog;
class Clock;
class JobControl;
class Prompts;
class Session;

// A command line that does not fit the command: exit code 2.
struct UsageError {
  QString message;
};

class CliCall {
 public:
  CliCall(Session& session, Prompts& prompts, const Clock& clock, JobControl& jobs)
      : session(session), prompts(prompts), clock(clock), jobs(jobs) {}

  Session& session;
  Prompts& prompts;
  const Clock& clock;
  JobControl& jobs;

  QString programDir;      // ends in a separator
  // A progress line on standard error (long commands); may be empty.
  std::function<void(const QString&)> note;
  bool rear = false;       // --connector rear: the RS485 network
  std::uint8_t address = 1;  // --address (front connector: always 1)
  bool json = false;       // --json

  QStringList args;                // the words after the verb
  QHash<QString, QString> options; // "--group" -> "2"
  QSet<QString> flags;             // "--secondary"

  QStringList text;  // plain output, one line each
  QJsonObject data;  // --json output
  // A command that compares: the sides differ (exit code 4 when Done).
  bool differs = false;
  // The change log of this run's changes (nullptr: none).
  ChangeLog* changeLog = nullptr;

  std::optional<QString> option(const QString& name) const {
    const auto it = options.constFind(name);
    if (it == options.constEnd()) return std::nullopt;
    return *it;
  }
  bool flag(const QString& name) const { return flags.contains(name); }
};

}  // namespace vmk
