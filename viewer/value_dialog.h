#pragma once
// The value editor dialog of one grid row, built from its EditorSpec: a
// number field, one named check box per bit of a bit set, or a list.
//
// A number field takes what is typed and never changes it: "12000" in a
// field of 1..10000 stays "12000", is named as outside the range, and OK
// stays disabled until the text is a value of the field (inside the range,
// on its step, no more decimals than the step has). Both "," and "." are
// decimal separators. A value handed in outside the range is shown as it
// is; OK with it unchanged keeps it.

#include <QDialog>
#include <QList>
#include <cstdint>
#include <optional>

#include "viewer/editor_spec.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vmk::view {

// What the dialog shows besides the value.
struct EditorNote {
  // A text above the buttons (where the value came from, what a file held);
  // empty: the dialog's own note for a value outside the range.
  QString text;
  // The value handed in stands for nothing (the row's text was no value):
  // the field starts empty, the list with no item chosen.
  bool startEmpty = false;
};

class ValueDialog : public QDialog {
  Q_OBJECT
 public:
  ValueDialog(const EditorSpec& spec, const QString& caption, std::int32_t value,
              std::uint16_t earthCtSecondary, const EditorNote& note = {},
              QWidget* parent = nullptr);

  // The editor value the widgets now show when it is one OK takes; the value
  // handed in otherwise.
  std::int32_t value() const;
  // True when the value handed in lay outside the range.
  bool initialOutOfRange() const { return m_outOfRange; }
  // Why OK is disabled; empty while it is enabled.
  QString problem() const { return m_problem; }
  bool okEnabled() const;

  QLineEdit* numberEdit() const { return m_number; }
  const QList<QCheckBox*>& bitBoxes() const { return m_bits; }
  QComboBox* choiceEdit() const { return m_choice; }

 private:
  // The editor value of the field's text, or why it is none (`why`).
  std::optional<std::int64_t> typedValue(QString* why) const;
  void textChanged();

  EditorSpec m_spec;
  std::int32_t m_initial;
  QString m_initialText;
  std::uint16_t m_earthCt;
  bool m_outOfRange = false;
  QString m_problem;
  QLineEdit* m_number = nullptr;
  QList<QCheckBox*> m_bits;
  QComboBox* m_choice = nullptr;
  QLabel* m_amperes = nullptr;
  QLabel* m_error = nullptr;
  QPushButton* m_ok = nullptr;
};

// The value as the field shows it: "600,00" for 60000 at scale 100, in the
// user's locale.
QString editorText(const EditorSpec& spec, std::int64_t value);
// The same with its unit: "600,00 с".
QString editorTextWithUnit(const EditorSpec& spec, std::int64_t value);

}  // namespace vmk::view
