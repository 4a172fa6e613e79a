#include "app/input_serial.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/pass_form.h"

namespace vmk {

static bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

TInputSerial::TInputSerial(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("InputSerial"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  m_label = new QLabel(this);
  m_edit = new QLineEdit(this);
  m_edit->setObjectName(QStringLiteral("edSerial"));
  m_edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_edit));
  m_edit->installEventFilter(new CharFilter(&isDigit, m_edit));
  m_label->setBuddy(m_edit);

  auto* ok = new QPushButton(QStringLiteral("ОК"), this);
  ok->setObjectName(QStringLiteral("btnOk"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_label);
  layout->addWidget(m_edit);
  layout->addLayout(buttons);
}

void TInputSerial::prepare(const NumberDialog& dialog) {
  setWindowTitle(dialog.caption);
  m_label->setText(dialog.label);
  m_edit->setMaxLength(dialog.maxLength > 0 ? dialog.maxLength : 32767);
  m_edit->setText(dialog.text);
  m_edit->selectAll();
  m_edit->setFocus();
}

QString TInputSerial::text() const { return m_edit->text(); }

}  // namespace vmk
