#pragma once
// What creating the data module does to the shared state, in order: the
// start-up port test, the hidden device pages, the status texts, the grid
// layout. The window's DataModule runs it once its models exist.

#include <QString>

#include "shell/shell_context.h"

namespace vmk {

class Workspace;

// `DataModuleCreate`. `programDir` is the program's folder; a separator is
// added when it lacks one.
void DataModuleCreate(Workspace& ws, const QString& programDir);

// `DataModuleDestroy`: the port is closed.
void DataModuleDestroy(ShellContext& ws);

}  // namespace vmk
