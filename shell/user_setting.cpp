#include "shell/user_setting.h"

namespace vmk {

SettingsFlag::SettingsFlag(std::unique_ptr<QSettings> settings, QString key)
    : m_settings(std::move(settings)), m_key(std::move(key)) {}

std::optional<bool> SettingsFlag::read() {
  const QVariant v = m_settings->value(m_key);
  bool ok = false;
  const int n = v.toInt(&ok);
  if (!v.isValid() || !ok) return std::nullopt;
  return n != 0;
}

bool SettingsFlag::write(bool value) {
  m_settings->setValue(m_key, value ? 1 : 0);
  m_settings->sync();
  return m_settings->status() == QSettings::NoError;
}

UserSetting::UserSetting(QString key)
    : SettingsFlag(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                               QStringLiteral("Varnet"), QStringLiteral("vmkconf")),
                   std::move(key)) {}

}  // namespace vmk
