#pragma once
// The command line of vmkctl:
//   vmkctl [global options] COMMAND [command arguments and options]

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

#include "ctl/exit_code.h"
#include "shell/cli_call.h"

namespace vmk::ctl {

struct GlobalOptions {
  std::optional<QString> port;
  std::optional<QString> connector;  // "front" | "rear"
  std::optional<int> baud;
  std::optional<int> address;
  std::optional<int> timeout;        // GetTry units (10 ms)
  bool json = false;
  bool trace = false;               // every frame on standard error
  bool help = false;
};

struct CommandLine {
  GlobalOptions global;
  QStringList command;               // COMMAND and its positional words
  QHash<QString, QString> options;   // command options: "--group" -> "2"
  QStringList flags;                 // command flags without value: "--help"

  bool rear() const { return global.connector == QLatin1String("rear"); }
  bool wantsHelp() const {
    return flags.contains(QStringLiteral("--help")) || flags.contains(QStringLiteral("-h"));
  }
};

// Parses argv (without the program name). Throws UsageError on a malformed
// line.
CommandLine parseCommandLine(const QStringList& args);

}  // namespace vmk::ctl
