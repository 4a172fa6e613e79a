// The port commands of the command table and the connector choice: the commands of the window and of vmkctl.

#include "shell/command_registry.h"

namespace vmk {

void declarePortCommands(CommandRegistry& registry) { (void)registry; }

}  // namespace vmk
