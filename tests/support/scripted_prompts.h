#pragma once
// Prompts for tests: answers come from a script, every question is recorded.
// A question with no scripted answer gets the "cancel" answer (the first
// button of a box, nothing for the dialogs) and is recorded all the same.

#include <QQueue>
#include <QStringList>
#include <QVariant>
#include <functional>

#include "model/prompts.h"

namespace vmk::test {

struct Asked {
  QString kind;     // "box", "input", "open", "save", "folder", "password",
                    // "changePassword", "number", "port"
  QString caption;  // box caption or dialog caption
  QString text;     // box text, prompt, filter or label
  BoxIcon icon = BoxIcon::Error;
  QList<Button> buttons;
  QString checkBox{};  // a file dialog's check box text, if it had one
};

class ScriptedPrompts : public Prompts {
 public:
  // Queue answers, consumed in order by questions of the same kind.
  void answerBox(Button b) { m_boxes.enqueue(b); }
  void answerInput(std::optional<QString> s) { m_inputs.enqueue(std::move(s)); }
  void answerOpen(std::optional<QString> s) { m_opens.enqueue(std::move(s)); }
  void answerSave(std::optional<QString> s) { m_saves.enqueue(std::move(s)); }
  void answerFolder(std::optional<QString> s) { m_folders.enqueue(std::move(s)); }
  void answerPassword(std::optional<QString> s) { m_passwords.enqueue(std::move(s)); }
  void answerNumber(std::optional<QString> s) { m_numbers.enqueue(std::move(s)); }
  void answerPort(bool accept) { m_ports.enqueue(accept); }
  // The filter choice the save dialogs report from now on (0 = the first).
  void answerSaveFilter(int index) { m_saveFilter = index; }
  // Whether the save dialogs' check box is ticked from now on (a dialog
  // without one is left alone; unticked at first).
  void answerSaveTicked(bool ticked) { m_saveTicked = ticked; }
  void answerChangePassword(std::optional<PasswordChange> c) { m_changes.enqueue(std::move(c)); }

  Button box(const MessageBox& box) override;
  std::optional<QString> input(const QString& caption, const QString& prompt,
                               const QString& defaultText) override;
  std::optional<QString> openFile(const FileDialog& dialog) override;
  std::optional<QString> saveFile(const FileDialog& dialog) override;
  std::optional<QString> chooseFolder(const QString& caption) override;
  std::optional<QString> password() override;
  std::optional<PasswordChange> changePassword() override;
  std::optional<QString> number(const NumberDialog& dialog) override;
  bool portSettings(PortSettings& settings) override;
  void beep() override { ++m_beeps; }

  // Runs while a box is open, after it was recorded: what the window's
  // event loop would dispatch then (a timer tick, a click).
  std::function<void(const MessageBox&)> whileBoxOpen;

  const QList<Asked>& asked() const { return m_asked; }
  // Texts of the boxes shown, in order.
  QStringList boxTexts() const;
  int beeps() const { return m_beeps; }
  void forget() { m_asked.clear(); m_beeps = 0; }

 private:
  QList<Asked> m_asked;
  QQueue<Button> m_boxes;
  QQueue<std::optional<QString>> m_inputs, m_opens, m_saves, m_folders, m_passwords, m_numbers;
  QQueue<bool> m_ports;
  QQueue<std::optional<PasswordChange>> m_changes;
  int m_beeps = 0;
  int m_saveFilter = 0;
  bool m_saveTicked = false;
};

}  // namespace vmk::test
