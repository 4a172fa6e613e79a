#include "tests/support/scripted_prompts.h"

namespace vmk::test {

template <typename T>
static T take(QQueue<T>& q, T fallback) {
  return q.isEmpty() ? fallback : q.dequeue();
}

Button ScriptedPrompts::box(const MessageBox& box) {
  m_asked.append({QStringLiteral("box"), box.caption, box.text, box.icon, box.buttons});
  if (whileBoxOpen) whileBoxOpen(box);
  const Button fallback = box.buttons.isEmpty() ? Button::Ok : box.buttons.first();
  return take(m_boxes, fallback);
}

std::optional<QString> ScriptedPrompts::input(const QString& caption, const QString& prompt,
                                              const QString& defaultText) {
  m_asked.append({QStringLiteral("input"), caption, prompt, BoxIcon::Confirm, {}});
  Q_UNUSED(defaultText);
  return take(m_inputs, std::optional<QString>());
}

std::optional<QString> ScriptedPrompts::openFile(const FileDialog& dialog) {
  m_asked.append({QStringLiteral("open"), QString(), dialog.filter, BoxIcon::Confirm, {}});
  return take(m_opens, std::optional<QString>());
}

std::optional<QString> ScriptedPrompts::saveFile(const FileDialog& dialog) {
  m_asked.append({QStringLiteral("save"), QString(), dialog.filter, BoxIcon::Confirm, {}, dialog.checkBox});
  if (dialog.chosenFilter) *dialog.chosenFilter = m_saveFilter;
  if (dialog.ticked) *dialog.ticked = m_saveTicked;
  return take(m_saves, std::optional<QString>());
}

std::optional<QString> ScriptedPrompts::chooseFolder(const QString& caption) {
  m_asked.append({QStringLiteral("folder"), caption, QString(), BoxIcon::Confirm, {}});
  return take(m_folders, std::optional<QString>());
}

std::optional<QString> ScriptedPrompts::password() {
  m_asked.append({QStringLiteral("password"), QString(), QString(), BoxIcon::Confirm, {}});
  return take(m_passwords, std::optional<QString>());
}

std::optional<PasswordChange> ScriptedPrompts::changePassword() {
  m_asked.append({QStringLiteral("changePassword"), QString(), QString(), BoxIcon::Confirm, {}});
  return take(m_changes, std::optional<PasswordChange>());
}

std::optional<QString> ScriptedPrompts::number(const NumberDialog& dialog) {
  m_asked.append({QStringLiteral("number"), dialog.caption, dialog.label, BoxIcon::Confirm, {}});
  return take(m_numbers, std::optional<QString>());
}

bool ScriptedPrompts::portSettings(PortSettings&) {
  m_asked.append({QStringLiteral("port"), QString(), QString(), BoxIcon::Confirm, {}});
  return take(m_ports, false);
}

QStringList ScriptedPrompts::boxTexts() const {
  QStringList out;
  for (const Asked& a : m_asked)
    if (a.kind == QLatin1String("box")) out << a.text;
  return out;
}

}  // namespace vmk::test
