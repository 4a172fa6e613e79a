// Passwords and the service functions: the commands of the window and of vmkctl.

#include "shell/command_registry.h"

namespace vmk {

void declareServiceCommands(CommandRegistry& registry) { (void)registry; }

}  // namespace vmk
