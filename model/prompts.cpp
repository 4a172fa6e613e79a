#include "model/prompts.h"

namespace vmk {

QString captionFor(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error: return QStringLiteral("Error");
    case BoxIcon::Warning: return QStringLiteral("Warning");
    case BoxIcon::Information: return QStringLiteral("Information");
    case BoxIcon::Confirm: return QStringLiteral("Confirm");
  }
  return {};
}

QString buttonText(Button button) {
  switch (button) {
    case Button::Ok: return QStringLiteral("OK");
    case Button::Yes: return QStringLiteral("&Yes");
    case Button::No: return QStringLiteral("&No");
    case Button::Cancel: return QStringLiteral("Cancel");
    case Button::Abort: return QStringLiteral("Abort");
  }
  return {};
}

static Button ofKind(Prompts& p, BoxIcon icon, const QString& text, QList<Button> buttons) {
  return p.box(MessageBox{captionFor(icon), icon, text, std::move(buttons)});
}

Button Prompts::error(const QString& text, QList<Button> buttons) {
  return ofKind(*this, BoxIcon::Error, text, std::move(buttons));
}
Button Prompts::warning(const QString& text, QList<Button> buttons) {
  return ofKind(*this, BoxIcon::Warning, text, std::move(buttons));
}
Button Prompts::information(const QString& text, QList<Button> buttons) {
  return ofKind(*this, BoxIcon::Information, text, std::move(buttons));
}
Button Prompts::confirm(const QString& text, QList<Button> buttons) {
  return ofKind(*this, BoxIcon::Confirm, text, std::move(buttons));
}

}  // namespace vmk
