#pragma once
// Selecting and double-clicking rows of Grid1 and grdSett: the toggle rows
// switch their text, the password row opens the change-password dialog,
// every other data row goes through the value editor. A changed row gets
// "*" and sets ParamsModified.

#include <QLocale>
#include <cstdint>

namespace vmk {

class TextGrid;
class ValueEditor;
class Workspace;

class GridEditing {
 public:
  GridEditing(Workspace& ws, ValueEditor& editor, const QLocale& locale = QLocale());

  // `Grid1SelectCell` (gridTag 1 = Grid1, 2 = grdSett): remembers the row;
  // for a row with a register and a value also CurValue, CurRegister and
  // the caption in status panel 3. Throws Error when the value text is not
  // a number; CurValue and CurRegister then keep their values.
  void Grid1SelectCell(int gridTag, int row);

  // `Grid1DblClick` on row SelRow of the given grid. Does nothing for a
  // row without caption or value. The row's editor value is taken afresh
  // from its text, so an edit never starts from another row's value.
  // Throws Error as Grid1SelectCell does.
  void Grid1DblClick(int gridTag);

  int SelRow() const { return m_selRow; }
  std::uint16_t CurRegister() const { return m_curRegister; }
  std::int32_t CurValue() const { return m_curValue; }

 private:
  TextGrid& gridOf(int gridTag);
  // Steps 2..5 of the selection; false when the row has no register or value.
  bool select(int gridTag, int row);

  Workspace& m_ws;
  ValueEditor& m_editor;
  QLocale m_locale;
  int m_selRow = 0;
  std::uint16_t m_curRegister = 0;
  std::int32_t m_curValue = 0;
};

}  // namespace vmk
