#pragma once
// The change log in the window and in vmkctl: the failure to write it,
// reported once an operation ended, and the log of the connected device.

#include <optional>

#include "changelog/change_log.h"

namespace vmk {

class Prompts;
class ShellContext;

// Shows the box of a change that could not be logged, if there was one,
// after the operation reported its own outcome.
void reportChangeLogFailure(ChangeLog* log, Prompts& prompts);

// The factory number of the connected device (its pages shown), or nothing.
std::optional<int> connectedSerial(const ShellContext& ws);

}  // namespace vmk
