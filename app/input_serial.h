#pragma once
// `TInputSerial`: the number dialog (digits and backspace only, a maximum
// length), used for the time-out and the factory number.

#include <QDialog>

#include "model/prompts.h"

class QLabel;
class QLineEdit;

namespace vmk {

class TInputSerial : public QDialog {
  Q_OBJECT
 public:
  explicit TInputSerial(QWidget* parent = nullptr);

  // Caption, label, field text and length limit of one use.
  void prepare(const NumberDialog& dialog);
  QString text() const;
  QLineEdit* edit() const { return m_edit; }

 private:
  QLabel* m_label;
  QLineEdit* m_edit;
};

}  // namespace vmk
