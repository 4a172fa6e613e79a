#include "service/change_password.h"

#include "shell/workspace.h"
#include "extlib/charset.h"
#include "extlib/transport_error.h"
#include "model/messages.h"
#include "service/password_check.h"

namespace vmk {

namespace {

MessageBox box(const QString& caption, BoxIcon icon, const QString& text) {
  return MessageBox{caption, icon, text, {Button::Ok}};
}

bool isNewPassword(const QString& text) {
  if (text.size() != 4) return false;
  for (QChar c : text)
    if (c == QChar(8) || !PasswordKeyAllowed(c.unicode())) return false;
  return true;
}

}  // namespace

bool actChangePassExecute(Workspace& ws) {
  PortBracket bracket(ws.session);
  const QString current = ws.session.vmk.setup.DevicePassword;
  const std::optional<PasswordChange> entry = ws.prompts.changePassword();
  if (!entry) return false;
  const QString error = QStringLiteral("Ошибка");
  if (entry->oldPassword != current) {
    ws.prompts.box(box(error, BoxIcon::Error, msg::kPasswordError));
    return false;
  }
  if (entry->newPassword != entry->confirm || !isNewPassword(entry->confirm)) {
    ws.prompts.box(box(error, BoxIcon::Error, QStringLiteral("Не подтвержден новый пароль!")));
    return false;
  }

  const QByteArray letters = cp1251::encode(entry->confirm);
  auto word = [&](int i) {
    return std::uint16_t(std::uint8_t(letters[i]) << 8 | std::uint8_t(letters[i + 1]));
  };
  Session& s = ws.session;
  bool answered = false;
  try {
    ReplyFrame reply;
    s.modbus.WriteWord(s.link(), s.DeviceAddress, 66, word(0), reply);
    if (!reply.isEmpty()) {
      reply.clear();
      s.modbus.WriteWord(s.link(), s.DeviceAddress, 67, word(2), reply);
      answered = !reply.isEmpty();
    }
  } catch (const TransportError&) {
    answered = false;
  }
  if (!answered) {
    ws.prompts.error(QStringLiteral("Ошибка связи с устройством!"));
    return false;
  }
  ws.prompts.box(box(QStringLiteral("Сообщение"), BoxIcon::Information,
                     QStringLiteral("Пароль был успешно изменен!")));
  return true;
}

}  // namespace vmk
