#include "params/grid_editing.h"

#include "shell/workspace.h"
#include "extlib/transport_error.h"
#include "params/catalogue.h"
#include "params/value_editor.h"
#include "service/change_password.h"

namespace vmk {

GridEditing::GridEditing(Workspace& ws, ValueEditor& editor, const QLocale& locale)
    : m_ws(ws), m_editor(editor), m_locale(locale) {}

TextGrid& GridEditing::gridOf(int gridTag) { return gridTag == 2 ? m_ws.grdSett : m_ws.Grid1; }

void GridEditing::Grid1SelectCell(int gridTag, int row) {
  m_selRow = row;
  select(gridTag, row);
}

bool GridEditing::select(int gridTag, int row) {
  const TextGrid& grid = gridOf(gridTag);
  const auto& rows = RowsOf(gridTag);
  const QString regText = grid.cell(grid::kRegister, row);
  const QString value = grid.cell(grid::kValue, row);
  if (regText.isEmpty() || value.isEmpty() || row < 0 || row >= rows.size()) return false;
  bool regOk = false;
  const uint reg = regText.toUInt(&regOk);
  if (!regOk || reg > 0xFFFF) return false;

  const RowSpec& spec = rows[row];
  if (spec.kind != RowKind::Toggle && spec.kind != RowKind::Password) {
    const auto v = EditorValue(spec, value, m_locale);
    if (!v) throw Error(QStringLiteral("«%1» не является правильным числом").arg(value));
    m_curValue = *v;
  }
  m_curRegister = std::uint16_t(reg);
  m_ws.status.setText(3, grid.cell(grid::kCaption, row));
  return true;
}

void GridEditing::Grid1DblClick(int gridTag) {
  TextGrid& grid = gridOf(gridTag);
  const int row = m_selRow;
  const QString caption = grid.cell(grid::kCaption, row);
  const QString value = grid.cell(grid::kValue, row);
  if (caption.isEmpty() || value.isEmpty()) return;
  if (!select(gridTag, row)) return;

  const RowSpec& spec = RowsOf(gridTag)[row];
  switch (spec.kind) {
    case RowKind::Heading: return;
    case RowKind::Toggle:
      grid.setCell(grid::kMark, row, QStringLiteral("*"));
      m_ws.ParamsModified = true;
      grid.setCell(grid::kValue, row, ToggledText(spec, value));
      return;
    case RowKind::Password: actChangePassExecute(m_ws); return;
    default: break;
  }

  m_editor.show(caption, m_curRegister, m_curValue, m_ws.session.vmk.setup.EarthCtSecondary);
  const std::int32_t result = m_editor.value();
  if (result == m_curValue) return;
  grid.setCell(grid::kMark, row, QStringLiteral("*"));
  m_ws.ParamsModified = true;
  grid.setCell(grid::kValue, row, TextAfterEdit(spec, result, m_locale));
}

}  // namespace vmk
