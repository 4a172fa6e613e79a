// Polling and connection: the commands of the window and of vmkctl.

#include "shell/command_registry.h"

namespace vmk {

void declareLinkCommands(CommandRegistry& registry) { (void)registry; }

}  // namespace vmk
