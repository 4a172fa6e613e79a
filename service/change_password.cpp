#include "service/change_password.h"

#include "device/device_client.h"
#include "device/session.h"
#include "extlib/charset.h"
#include "extlib/registers.h"
#include "model/messages.h"
#include "model/prompts.h"
#include "service/password_check.h"

namespace vmk {

namespace {

MessageBox box(const QString& caption, BoxIcon icon, const QString& text) {
  return MessageBox{caption, icon, text, {Button::Ok}};
}

bool isNewPassword(const QString& text) {
  if (text.size() != 4) return false;
  for (QChar c : text)
    if (c == QChar(8) || !passwordKeyAllowed(c.unicode())) return false;
  return true;
}

}  // namespace

Outcome changePassword(Session& session, Prompts& prompts, const QString& devicePassword) {
  PortBracket bracket(session);
  const std::optional<PasswordChange> entry = prompts.changePassword();
  if (!entry) return Outcome::Cancelled;
  const QString error = QStringLiteral("Ошибка");
  if (entry->oldPassword != devicePassword) {
    prompts.box(box(error, BoxIcon::Error, msg::kPasswordError));
    return Outcome::WrongPassword;
  }
  if (entry->newPassword != entry->confirm || !isNewPassword(entry->confirm)) {
    prompts.box(box(error, BoxIcon::Error, kPasswordNotConfirmed));
    return Outcome::InputRefused;
  }

  const QByteArray letters = cp1251::encode(entry->confirm);
  auto word = [&](int i) {
    return std::uint16_t(std::uint8_t(letters[i]) << 8 | std::uint8_t(letters[i + 1]));
  };
  DeviceClient device(session, PortFailures::AsOutcome);
  const ChangeOperation operation(session.changeOperation, QStringLiteral("Смена пароля"));
  Outcome outcome = device.writeWord(reg::kPassword, word(0));
  if (outcome == Outcome::Done) outcome = device.writeWord(reg::kPasswordLow, word(2));
  if (outcome != Outcome::Done) return outcome;
  prompts.box(box(QStringLiteral("Сообщение"), BoxIcon::Information, kPasswordChanged));
  return Outcome::Done;
}

}  // namespace vmk
