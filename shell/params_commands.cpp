// Parameters and settings: the commands of the window and of vmkctl.

#include "shell/command_registry.h"

namespace vmk {

void declareParamsCommands(CommandRegistry& registry) { (void)registry; }

}  // namespace vmk
