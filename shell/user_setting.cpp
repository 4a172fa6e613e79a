#include "shell/user_setting.h"

namespace vmk {

UserSetting::UserSetting(QString key)
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnet"),
                 QStringLiteral("vmkconf")),
      m_key(std::move(key)) {}

std::optional<bool> UserSetting::read() {
  const QVariant v = m_settings.value(m_key);
  bool ok = false;
  const int n = v.toInt(&ok);
  if (!v.isValid() || !ok) return std::nullopt;
  return n != 0;
}

bool UserSetting::write(bool value) {
  m_settings.setValue(m_key, value ? 1 : 0);
  m_settings.sync();
  return m_settings.status() == QSettings::NoError;
}

}  // namespace vmk
