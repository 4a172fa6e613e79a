#include "app/param_bindings.h"

#include "shell/params_page.h"
#include "shell/shell_context.h"

namespace vmk {

ParamBindings::ParamBindings(ShellContext& ws, ParamsPage& page)
    : m_page(page), m_editor(m_loader, ws.prompts, nullptr, &ws.ProgramDir) {
  m_page.paramEditing.setEditor(&m_editor);
}

ParamBindings::~ParamBindings() { m_page.paramEditing.setEditor(nullptr); }

}  // namespace vmk
