#pragma once
// The value editor dialog of one grid row, built from its EditorSpec: a
// number or decimal spin box held to its range, one named check box per bit
// of a bit set, or a list.

#include <QDialog>
#include <QList>
#include <cstdint>

#include "viewer/editor_spec.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace vmk::view {

class ValueDialog : public QDialog {
  Q_OBJECT
 public:
  ValueDialog(const EditorSpec& spec, const QString& caption, std::int32_t value,
              std::uint16_t earthCtSecondary, QWidget* parent = nullptr);

  // The editor value the widgets now show, always inside the range (a
  // number is also held to its step, rounding down, as the device stores it).
  std::int32_t value() const;
  // True when the value handed in lay outside the range and is shown held
  // to it.
  bool initialOutOfRange() const { return m_outOfRange; }

  QSpinBox* numberEdit() const { return m_number; }
  QDoubleSpinBox* decimalEdit() const { return m_decimal; }
  const QList<QCheckBox*>& bitBoxes() const { return m_bits; }
  QComboBox* choiceEdit() const { return m_choice; }

 private:
  void showAmperes();

  EditorSpec m_spec;
  std::int32_t m_initial;
  std::uint16_t m_earthCt;
  bool m_outOfRange = false;
  QSpinBox* m_number = nullptr;
  QDoubleSpinBox* m_decimal = nullptr;
  QList<QCheckBox*> m_bits;
  QComboBox* m_choice = nullptr;
  QLabel* m_amperes = nullptr;
};

}  // namespace vmk::view
