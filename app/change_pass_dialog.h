#pragma once
// `TChangePassFrm`: the change-password window. Three masked edits that
// take only capital Latin letters; "Применить" hands the three entries to
// actChangePassExecute, which checks them and writes the new password.

#include <QDialog>
#include <optional>

#include "model/prompts.h"

class QLineEdit;

namespace vmk {

class TChangePassFrm : public QDialog {
  Q_OBJECT
 public:
  explicit TChangePassFrm(QWidget* parent = nullptr);

  QLineEdit* meOldPass() const { return m_old; }
  QLineEdit* meNewPass() const { return m_new; }
  QLineEdit* meConfirm() const { return m_confirm; }

  // The entries as they stand.
  PasswordChange entries() const;

  // Shows the window modally: the entries after "Применить", nothing after
  // "Отменить" or closing.
  static std::optional<PasswordChange> ask(QWidget* parent);

 private:
  QLineEdit* m_old;
  QLineEdit* m_new;
  QLineEdit* m_confirm;
};

}  // namespace vmk
