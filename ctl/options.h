#pragma once
// The command line of vmkctl:
//   vmkctl [global options] COMMAND [command arguments and options]

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace vmk::ctl {

enum ExitCode { kDone = 0, kDeviceFailure = 1, kUsage = 2, kRefused = 3 };

struct GlobalOptions {
  std::optional<QString> port;
  std::optional<QString> connector;  // "front" | "rear"
  std::optional<int> baud;
  std::optional<int> address;
  std::optional<int> timeout;        // GetTry units (10 ms)
  bool json = false;
  bool help = false;
};

struct CommandLine {
  GlobalOptions global;
  QStringList command;               // COMMAND and its positional words
  QHash<QString, QString> options;   // command options: "--group" -> "2"
  QStringList flags;                 // command flags without value: "--help"
};

// Parses argv (without the program name). Throws UsageError on a malformed
// line.
CommandLine parseCommandLine(const QStringList& args);

struct UsageError {
  QString message;
};

}  // namespace vmk::ctl
