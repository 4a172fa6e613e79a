#include "app/param_bindings.h"

#include "shell/workspace.h"

namespace vmk {

ParamBindings::ParamBindings(Workspace& ws)
    : m_ws(ws), m_editor(m_loader, ws.prompts), m_editing(ws, m_editor, QLocale()) {}

void ParamBindings::doubleClick(int gridTag, int row) {
  m_loader.setFolder(m_ws.ProgramDir);
  m_editing.Grid1SelectCell(gridTag, row);
  m_editing.Grid1DblClick(gridTag);
}

}  // namespace vmk
