#pragma once
// `TPassFrm`: the device password prompt. The edit takes at most four
// capital Latin letters; any other typed character beeps and is dropped.

#include <QDialog>

class QLabel;
class QLineEdit;

namespace vmk {

class TPassFrm : public QDialog {
  Q_OBJECT
 public:
  explicit TPassFrm(QWidget* parent = nullptr);

  QLineEdit* meOldPass() const { return m_edit; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* m_edit;
};

// Lets through only the characters `accept` takes, backspace and keys that
// type nothing (Enter, Esc, arrows, Tab); any other character beeps and is
// dropped. Pasted text is held to the same set by the edit's validator.
class CharFilter : public QObject {
  Q_OBJECT
 public:
  CharFilter(bool (*accept)(QChar), QObject* parent);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool (*m_accept)(QChar);
};

// Makes a password edit show "*" for each letter typed, whatever bullet
// the style would draw.
void maskWithStars(QLineEdit* edit);

// Lays out a one-field entry dialog: the label over the edit, then the
// buttons "ОК" (btnOk, accepts, default) and "Отмена" (btnCancel, rejects).
void layOutEntryDialog(QDialog* dialog, QLabel* label, QLineEdit* edit);

}  // namespace vmk
