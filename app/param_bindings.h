#pragma once
// What the parameter and setting grids need in the window: the viewer
// library's loader and the value editor it opens, given to the page's grid
// editing.

#include "extlib/view_loader.h"
#include "params/view_value_editor.h"

class QWidget;

namespace vmk {

struct ParamsPage;
class ShellContext;

class ParamBindings {
 public:
  // The library is looked for in the program's folder.
  ParamBindings(ShellContext& ws, ParamsPage& page);
  ~ParamBindings();

  void setWindow(QWidget* window) { m_editor.setWindow(window); }

 private:
  ParamsPage& m_page;
  ViewLoader m_loader;
  ViewValueEditor m_editor;
};

}  // namespace vmk
