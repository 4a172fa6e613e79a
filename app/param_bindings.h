#pragma once
// What the parameter and setting grids need in the window: the viewer
// library's loader and the value editor it opens, given to the workspace's
// grid editing.

#include "extlib/view_loader.h"
#include "params/view_value_editor.h"

class QWidget;

namespace vmk {

class Workspace;

class ParamBindings {
 public:
  // The library is looked for in the program's folder.
  explicit ParamBindings(Workspace& ws);
  ~ParamBindings();

  void setWindow(QWidget* window) { m_editor.setWindow(window); }

 private:
  Workspace& m_ws;
  ViewLoader m_loader;
  ViewValueEditor m_editor;
};

}  // namespace vmk
