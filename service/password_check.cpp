#include "service/password_check.h"

#include "model/messages.h"
#include "model/prompts.h"

namespace vmk {

Result<QString> CheckPassword(Prompts& prompts, const QString& devicePassword,
                              PasswordForm form) {
  const std::optional<QString> entry = prompts.password();
  if (!entry) return Result<QString>::failed(Outcome::Cancelled);
  if (form == PasswordForm::Strict && entry->isEmpty())
    return Result<QString>::failed(Outcome::Cancelled);
  if (*entry != devicePassword) {
    prompts.error(msg::kPasswordError);
    return Result<QString>::failed(Outcome::WrongPassword);
  }
  return Result<QString>::done(*entry);
}

bool passwordKeyAllowed(char16_t key) { return key == 8 || (key >= u'A' && key <= u'Z'); }

}  // namespace vmk
