#pragma once
// The shell's own handlers, declared in shell/shell_commands.cpp.

#include <QString>

#include "extlib/about_loader.h"

namespace vmk {

class Prompts;
class ShellContext;

// `actAboutExecute`: the About library's box with the program's title and
// version, parented to `parentWindow`. A library that cannot be loaded
// shows the error box "Ошибка загрузки библиотеки" with the single button
// Abort; a library without the entry does nothing.
AboutOutcome actAboutExecute(Prompts& prompts, const QString& folder, void* parentWindow);

// `ActExitExecute`: ends the application at once, without the question
// about unsaved edits (Windows::exitApplication; without windows it does
// nothing).
void ActExitExecute(ShellContext& ws);

}  // namespace vmk
