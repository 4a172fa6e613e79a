#pragma once
// The value editor a double-click opens for a grid row. The program's
// implementation runs the viewer library's dialog (ViewValueEditor); tests
// script the answers.

#include <QString>
#include <cstdint>

namespace vmk {

// What the editor tells besides the value: where it comes from when that
// matters (a file, a value outside the range), and whether the value handed
// in stands for nothing (the row's text was no value; the field starts
// empty).
struct EditNote {
  QString text;
  bool startEmpty = false;
};

class ValueEditor {
 public:
  virtual ~ValueEditor() = default;

  // `ShowViewDialog`: runs the editor modally for one row: its caption, its
  // register number and its current editor value; the earth-fault
  // transformer's secondary current lets the editor show amperes.
  virtual void show(const QString& caption, std::uint16_t reg, std::int32_t value,
                    std::uint16_t earthCtSecondary, const EditNote& note) = 0;

  // `SetValue`: the value confirmed in the last show(); the value handed to
  // show() when the user changed nothing or no editor could be shown.
  virtual std::int32_t value() = 0;
};

}  // namespace vmk
