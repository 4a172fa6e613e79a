#include "shell/command_registry.h"

namespace vmk {

void CommandRegistry::add(WindowCommand command) { m_window.append(std::move(command)); }

void CommandRegistry::add(CliCommand command) { m_cli.append(std::move(command)); }

const WindowCommand* CommandRegistry::findWindow(const QString& name) const {
  for (const WindowCommand& c : m_window)
    if (c.name == name) return &c;
  return nullptr;
}

const CliCommand* CommandRegistry::findCli(const QStringList& words) const {
  const CliCommand* best = nullptr;
  for (const CliCommand& c : m_cli) {
    if (c.verb.size() > words.size()) continue;
    if (words.mid(0, c.verb.size()) != c.verb) continue;
    if (!best || c.verb.size() > best->verb.size()) best = &c;
  }
  return best;
}

const CommandRegistry& commandRegistry() {
  static const CommandRegistry registry = [] {
    CommandRegistry r;
    declareShellCommands(r);
    declarePortCommands(r);
    declareLinkCommands(r);
    declareMonitorCommands(r);
    declareParamsCommands(r);
    declareParamsFileCommands(r);
    declareServiceCommands(r);
    declareJournalCommands(r);
    declareOscCommands(r);
    declareReportCommands(r);
    declareCompareCommands(r);
    declareChangeLogCommands(r);
    declareBatchCommands(r);
    return r;
  }();
  return registry;
}

}  // namespace vmk
