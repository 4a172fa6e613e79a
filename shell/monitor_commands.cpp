// Live values and remote commands: the commands of the window and of vmkctl.

#include "shell/command_registry.h"

namespace vmk {

void declareMonitorCommands(CommandRegistry& registry) { (void)registry; }

}  // namespace vmk
