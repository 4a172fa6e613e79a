#pragma once
// Yes-or-no values kept in the system's native settings: the program's
// own choices and the user's (stored as 1 or 0).

#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

namespace vmk {

// One stored boolean.
class BoolStore {
 public:
  virtual ~BoolStore() = default;
  // Nothing when the value is missing or not readable.
  virtual std::optional<bool> read() = 0;
  // False when the value could not be stored.
  virtual bool write(bool value) = 0;
};

// Value `key` of `settings`.
class SettingsFlag : public BoolStore {
 public:
  SettingsFlag(std::unique_ptr<QSettings> settings, QString key);
  std::optional<bool> read() override;
  bool write(bool value) override;

 private:
  std::unique_ptr<QSettings> m_settings;
  QString m_key;
};

// "PreviewBeforeWrite": the write preview is shown before a write.
inline const QString kPreviewBeforeWriteKey = QStringLiteral("PreviewBeforeWrite");

// A choice of the user's: organisation "Varnet", application "vmkconf" (the
// registry under HKEY_CURRENT_USER on Windows, a .conf file elsewhere).
class UserSetting : public SettingsFlag {
 public:
  explicit UserSetting(QString key);
};

}  // namespace vmk
