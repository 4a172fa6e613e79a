#pragma once

#include <QString>
#include <QStringList>

namespace vmk {
class CommandRegistry;
}

namespace vmk::ctl {

// The global options, then every registered verb with its usage and
// summary, then the exit codes.
QString generalHelp(const CommandRegistry& registry);
// "vmkctl WORDS --help": the help of the command those words name, or of
// every command whose verb begins with them ("params": get and set).
QString commandHelp(const CommandRegistry& registry, const QStringList& words);

}  // namespace vmk::ctl
