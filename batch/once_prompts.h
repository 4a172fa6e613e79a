#pragma once
// The prompts the batch hands the operations it runs: a box whose text was
// shown once in this batch is answered as it was then, not shown again. A
// missing viewer library would otherwise stop an unattended batch at every
// oscillogram of every device until its box is closed; the index records
// each pair it concerns.

#include <QHash>

#include "model/prompts.h"

namespace vmk::batch {

class OncePrompts : public Prompts {
 public:
  explicit OncePrompts(Prompts& inner) : m_inner(inner) {}

  Button box(const MessageBox& b) override {
    const auto it = m_answers.constFind(b.text);
    if (it != m_answers.cend()) return *it;
    const Button answer = m_inner.box(b);
    m_answers.insert(b.text, answer);
    return answer;
  }
  std::optional<QString> input(const QString& caption, const QString& prompt,
                               const QString& value) override {
    return m_inner.input(caption, prompt, value);
  }
  std::optional<QString> openFile(const FileDialog& d) override { return m_inner.openFile(d); }
  std::optional<QString> saveFile(const FileDialog& d) override { return m_inner.saveFile(d); }
  std::optional<QString> password() override { return m_inner.password(); }
  std::optional<PasswordChange> changePassword() override { return m_inner.changePassword(); }
  std::optional<QString> number(const NumberDialog& d) override { return m_inner.number(d); }
  bool portSettings(PortSettings& s) override { return m_inner.portSettings(s); }
  void beep() override { m_inner.beep(); }

 private:
  Prompts& m_inner;
  QHash<QString, Button> m_answers;
};

}  // namespace vmk::batch
