#include "service/password_check.h"

#include "shell/workspace.h"

namespace vmk {

std::optional<QString> CheckPassword(Workspace& ws, PasswordForm form) {
  const std::optional<QString> entry = ws.prompts.password();
  if (!entry) return std::nullopt;
  if (form == PasswordForm::Strict && entry->isEmpty()) return std::nullopt;
  if (*entry != ws.session.vmk.setup.DevicePassword) {
    ws.prompts.error(kPasswordError);
    return std::nullopt;
  }
  return entry;
}

bool PasswordKeyAllowed(char16_t key) { return key == 8 || (key >= u'A' && key <= u'Z'); }

}  // namespace vmk
