#include "app/input_serial.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "app/pass_form.h"
#include "service/service_menu.h"

namespace vmk {

static bool isDigit(QChar c) { return serialKeyAllowed(c.unicode()); }

TInputSerial::TInputSerial(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("InputSerial"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
  m_label = new QLabel(this);
  m_label->setObjectName(QStringLiteral("StaticText1"));
  m_edit = new QLineEdit(this);
  m_edit->setObjectName(QStringLiteral("meOldSerial"));
  m_edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_edit));
  m_edit->installEventFilter(new CharFilter(&isDigit, m_edit));
  m_label->setBuddy(m_edit);

  layOutEntryDialog(this, m_label, m_edit);
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
