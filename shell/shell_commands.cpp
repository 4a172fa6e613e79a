// The shell's own commands: About, exit, page changes: the commands of the window and of vmkctl.

#include "shell/command_registry.h"

namespace vmk {

void declareShellCommands(CommandRegistry& registry) { (void)registry; }

}  // namespace vmk
