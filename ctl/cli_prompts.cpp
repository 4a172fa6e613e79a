#include "ctl/cli_prompts.h"

#include <cstdio>

namespace vmk::ctl {

CliPrompts::CliPrompts(CliAnswers answers, std::function<void(const QString&)> err)
    : m_answers(std::move(answers)), m_err(std::move(err)) {
  if (!m_err)
    m_err = [](const QString& line) {
      std::fputs(line.toUtf8().constData(), stderr);
      std::fputc('\n', stderr);
    };
}

static QString kindOf(const MessageBox& box) {
  switch (box.icon) {
    case BoxIcon::Error: return QStringLiteral("Error");
    case BoxIcon::Warning: return QStringLiteral("Warning");
    case BoxIcon::Information: return QStringLiteral("Information");
    case BoxIcon::Confirm: return QStringLiteral("Confirm");
  }
  return QStringLiteral("Message");
}

Button CliPrompts::box(const MessageBox& box) {
  QString text = box.text;
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  const QString line = kindOf(box) + QStringLiteral(": ") + text;
  m_shown << line;
  if (box.icon == BoxIcon::Error) m_errors << box.text;
  if (!m_quiet) m_err(line);
  // A question is answered Yes/OK only when the user said so (--yes); the
  // safe answer otherwise is the one that stops.
  if (box.buttons.size() > 1) {
    for (Button safe : {Button::No, Button::Cancel, Button::Abort})
      if (!m_answers.yes && box.buttons.contains(safe)) return safe;
    for (Button go : {Button::Yes, Button::Ok})
      if (m_answers.yes && box.buttons.contains(go)) return go;
  }
  return box.buttons.isEmpty() ? Button::Ok : box.buttons.first();
}

std::optional<QString> CliPrompts::input(const QString&, const QString&, const QString&) {
  return m_answers.input;
}

std::optional<QString> CliPrompts::openFile(const FileDialog&) { return m_answers.openFile; }
std::optional<QString> CliPrompts::saveFile(const FileDialog&) { return m_answers.saveFile; }
std::optional<QString> CliPrompts::password() { return m_answers.password; }
std::optional<QString> CliPrompts::number(const NumberDialog&) { return std::nullopt; }
bool CliPrompts::portSettings(PortSettings&) { return false; }

}  // namespace vmk::ctl
