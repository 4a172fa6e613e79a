#include "app/pass_form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace vmk {

namespace {

// The application's style, but for the character that masks a password.
class StarMaskStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

void maskWithStars(QLineEdit* edit) {
  // One style for every password edit of the run; a widget does not own
  // the style it is given, so the application does.
  static QPointer<StarMaskStyle> style;
  if (!style) {
    style = new StarMaskStyle;
    style->setParent(QCoreApplication::instance());
  }
  edit->setStyle(style);
}

CharFilter::CharFilter(bool (*accept)(QChar), QObject* parent)
    : QObject(parent), m_accept(accept) {}

bool CharFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Backspace) return false;
  const QString text = key->text();
  if (text.isEmpty() || !text.at(0).isPrint()) return false;  // Enter, Esc, arrows...
  for (QChar c : text)
    if (!m_accept(c)) {
      QApplication::beep();
      return true;
    }
  return false;
}

static bool isCapitalLatin(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); }

TPassFrm::TPassFrm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PassFrm"));
  setWindowTitle(QStringLiteral("Введите пароль"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
  auto* label = new QLabel(QStringLiteral("Введите пароль"), this);
  m_edit = new QLineEdit(this);
  m_edit->setObjectName(QStringLiteral("meOldPass"));
  m_edit->setEchoMode(QLineEdit::Password);
  maskWithStars(m_edit);
  m_edit->setMaxLength(4);
  m_edit->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[A-Z]{0,4}")), m_edit));
  m_edit->installEventFilter(new CharFilter(&isCapitalLatin, m_edit));
  label->setBuddy(m_edit);

  layOutEntryDialog(this, label, m_edit);
}

void TPassFrm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  m_edit->setFocus();
}

void layOutEntryDialog(QDialog* dialog, QLabel* label, QLineEdit* edit) {
  auto* ok = new QPushButton(QStringLiteral("ОК"), dialog);
  ok->setObjectName(QStringLiteral("btnOk"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), dialog);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(label);
  layout->addWidget(edit);
  layout->addLayout(buttons);
}

}  // namespace vmk
