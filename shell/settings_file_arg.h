#pragma once
// The settings file a vmkctl verb names, read for the verb.

#include <QString>

#include "params/settings_file.h"

namespace vmk {

class CliCall;
class ParamSet;

// Loads `file` into `set`, marking the rows it holds. The window ignores a
// name without ".ust" silently; here that is a refusal the script must see,
// as is a file that is not there, cannot be read or does not load: the
// command's error is shown and the result is not ok().
SettingsFileResult loadSettingsArg(CliCall& call, const QString& file, ParamSet& set);

}  // namespace vmk
