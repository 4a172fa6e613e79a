#include "app/param_bindings.h"

#include "shell/workspace.h"

namespace vmk {

ParamBindings::ParamBindings(Workspace& ws)
    : m_ws(ws), m_editor(m_loader, ws.prompts, nullptr, &ws.ProgramDir) {
  m_ws.paramEditing.setEditor(&m_editor);
}

ParamBindings::~ParamBindings() { m_ws.paramEditing.setEditor(nullptr); }

}  // namespace vmk
