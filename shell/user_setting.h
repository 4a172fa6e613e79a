#pragma once
// One yes-or-no choice of the user's, kept in the system's native settings
// for the user (organisation "Varnet", application "vmkconf": the registry
// under HKEY_CURRENT_USER on Windows, a .conf file elsewhere).

#include <QSettings>
#include <QString>

#include "shell/daylight_saving.h"

namespace vmk {

// "PreviewBeforeWrite": the write preview is shown before a write.
inline const QString kPreviewBeforeWriteKey = QStringLiteral("PreviewBeforeWrite");

class UserSetting : public BoolStore {
 public:
  explicit UserSetting(QString key);
  std::optional<bool> read() override;
  bool write(bool value) override;

 private:
  QSettings m_settings;
  QString m_key;
};

}  // namespace vmk
