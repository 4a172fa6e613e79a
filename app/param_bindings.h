#pragma once
// What the parameter and setting grids need in the window: the viewer
// library's loader, the value editor it opens and the grid editing state
// (SelRow, CurRegister, CurValue).

#include <QLocale>

#include "extlib/view_loader.h"
#include "params/grid_editing.h"
#include "params/view_value_editor.h"

class QWidget;

namespace vmk {

class Workspace;

class ParamBindings {
 public:
  explicit ParamBindings(Workspace& ws);

  void setWindow(QWidget* window) { m_editor.setWindow(window); }
  GridEditing& editing() { return m_editing; }

  // `Grid1SelectCell` then `Grid1DblClick` for a double-clicked row; the
  // viewer library is looked for in the program's folder.
  void doubleClick(int gridTag, int row);

 private:
  Workspace& m_ws;
  ViewLoader m_loader;
  ViewValueEditor m_editor;
  GridEditing m_editing;
};

}  // namespace vmk
