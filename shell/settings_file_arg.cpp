#include "shell/settings_file_arg.h"

#include <QFileInfo>

#include "params/messages.h"
#include "shell/cli_call.h"

namespace vmk {

SettingsFileResult loadSettingsArg(CliCall& call, const QString& file, ParamSet& set) {
  const QFileInfo info(file);
  SettingsFileResult loaded;
  if (info.suffix() != QLatin1String("ust") || !info.isFile() || !info.isReadable()) {
    loaded.outcome = Outcome::InputRefused;
    loaded.message = kNotSettingsFile.arg(file);
  } else {
    loaded = loadSettingsFile(file, set, MarkLoaded::FileRows);
  }
  if (!loaded.ok()) call.prompts.error(loaded.message);
  return loaded;
}

}  // namespace vmk
