#include "app/change_pass_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/pass_form.h"
#include "service/password_check.h"

namespace vmk {

namespace {

bool passwordChar(QChar c) { return passwordKeyAllowed(c.unicode()); }

QLineEdit* passwordEdit(const QString& name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setEchoMode(QLineEdit::Password);
  maskWithStars(edit);
  edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Z]*")), edit));
  edit->installEventFilter(new CharFilter(&passwordChar, edit));
  return edit;
}

}  // namespace

TChangePassFrm::TChangePassFrm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ChangePassFrm"));
  setWindowTitle(QStringLiteral("Смена пароля"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
  m_old = passwordEdit(QStringLiteral("meOldPass"), this);
  m_new = passwordEdit(QStringLiteral("meNewPass"), this);
  m_confirm = passwordEdit(QStringLiteral("meConfirm"), this);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Старый пароль"), m_old);
  form->addRow(QStringLiteral("Новый пароль"), m_new);
  form->addRow(QStringLiteral("Подтверждение"), m_confirm);

  auto* cancel = new QPushButton(QStringLiteral("Отменить"), this);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  auto* ok = new QPushButton(QStringLiteral("Применить"), this);
  ok->setObjectName(QStringLiteral("btnOk"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel);
  buttons->addWidget(ok);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  m_old->setFocus();
}

PasswordChange TChangePassFrm::entries() const {
  return PasswordChange{m_old->text(), m_new->text(), m_confirm->text()};
}

std::optional<PasswordChange> TChangePassFrm::ask(QWidget* parent) {
  TChangePassFrm dialog(parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.entries();
}

}  // namespace vmk
