#include "params/grid_editing.h"

#include "device/tvmk.h"
#include "extlib/transport_error.h"
#include "model/status_panels.h"
#include "model/text_grid.h"
#include "params/catalogue.h"
#include "params/value_editor.h"

namespace vmk {

GridEditing::GridEditing(EditModels models, ValueEditor* editor, const QLocale& locale)
    : m_models(models), m_editor(editor), m_locale(locale) {}

TextGrid& GridEditing::gridOf(int gridTag) {
  return gridTag == 2 ? m_models.grdSett : m_models.Grid1;
}

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
  m_models.status.setText(3, grid.cell(grid::kCaption, row));
  return true;
}

EditAnswer GridEditing::Grid1DblClick(int gridTag) {
  TextGrid& grid = gridOf(gridTag);
  const int row = m_selRow;
  const QString caption = grid.cell(grid::kCaption, row);
  const QString value = grid.cell(grid::kValue, row);
  if (caption.isEmpty() || value.isEmpty()) return EditAnswer::Nothing;
  if (!select(gridTag, row)) return EditAnswer::Nothing;

  auto mark = [&](const QString& text) {
    grid.setCell(grid::kMark, row, QStringLiteral("*"));
    m_models.ParamsModified = true;
    grid.setCell(grid::kValue, row, text);
    return EditAnswer::Changed;
  };
  const RowSpec& spec = RowsOf(gridTag)[row];
  switch (spec.kind) {
    case RowKind::Heading: return EditAnswer::Nothing;
    case RowKind::Toggle: return mark(ToggledText(spec, value));
    case RowKind::Password: return EditAnswer::ChangePassword;
    default: break;
  }

  if (!m_editor) return EditAnswer::Nothing;
  m_editor->show(caption, m_curRegister, m_curValue, m_models.setup.EarthCtSecondary);
  const std::int32_t result = m_editor->value();
  if (result == m_curValue) return EditAnswer::Nothing;
  return mark(TextAfterEdit(spec, result, m_locale));
}

}  // namespace vmk
