#include "params/grid_editing.h"

#include <QFileInfo>

#include "device/tvmk.h"
#include "model/status_panels.h"
#include "params/catalogue.h"
#include "params/decimal_text.h"
#include "params/messages.h"
#include "params/param_grid_view.h"
#include "params/param_set.h"
#include "params/settings_file.h"
#include "ranges/value_ranges.h"

namespace vmk {

namespace {

int rowKey(int gridTag, int row) { return gridTag * 1000 + row; }

// An editor value as the engineer reads it: "600,00 с".
QString valueWithUnit(const ranges::ValueRange& range, std::int64_t value, const QLocale& locale) {
  if (range.editor == ranges::Editor::BitSet || range.editor == ranges::Editor::Choice)
    return QString::number(value);
  const QString text = range.valueText(value, gridLocale(locale));
  return range.unit.isEmpty() ? text : text + QLatin1Char(' ') + range.unit;
}

}  // namespace

GridEditing::GridEditing(EditModels models, ValueEditor* editor, const QLocale& locale)
    : m_models(models), m_editor(editor), m_locale(locale) {}

void GridEditing::Grid1SelectCell(int gridTag, int row) {
  m_selRow = row;
  select(gridTag, row);
}

bool GridEditing::select(int gridTag, int row) {
  const ParamSet& set = m_models.params;
  const QString value = set.text(gridTag, row);
  const int reg = set.registerOf(gridTag, row);
  if (value.isEmpty() || reg < 0) return false;

  const RowSpec& spec = rowsOf(gridTag)[row];
  if (spec.kind != RowKind::Toggle && spec.kind != RowKind::Password)
    if (const auto v = editorValue(spec, value, m_locale)) m_curValue = *v;
  m_curRegister = std::uint16_t(reg);
  m_models.status.setText(panel::kNote, spec.caption);
  return true;
}

void GridEditing::rowsLoaded(const QString& fileName, const QVector<FileEntry>& entries) {
  m_loadedFile = QFileInfo(fileName).fileName();
  m_loadedTexts.clear();
  for (const FileEntry& e : entries) m_loadedTexts.insert(rowKey(e.grid, e.row), e.text);
}

QString GridEditing::origin(int gridTag, int row) const {
  const ParamSet& set = m_models.params;
  const bool marked = set.marked(gridTag, row);
  const auto loaded = m_loadedTexts.constFind(rowKey(gridTag, row));
  if (marked && loaded != m_loadedTexts.constEnd() && *loaded == set.text(gridTag, row))
    return kOriginFile.arg(m_loadedFile);
  return marked ? kOriginGrid : kOriginDevice;
}

EditNote GridEditing::noteFor(int gridTag, int row, const QString& text,
                              const std::optional<std::int32_t>& value) const {
  const QString from = origin(gridTag, row);
  if (!value) return {kNoValueNote.arg(from, text), true};
  const std::optional<ranges::ValueRange> range = ranges::rangeOf(m_curRegister);
  if (!range || (*value >= range->min && *value <= range->max)) return {};
  return {kOutOfRangeNote.arg(from, valueWithUnit(*range, *value, m_locale),
                              range->text(gridLocale(m_locale))),
          false};
}

EditAnswer GridEditing::Grid1DblClick(int gridTag) {
  ParamSet& set = m_models.params;
  const int row = m_selRow;
  const QString value = set.text(gridTag, row);
  if (!select(gridTag, row)) return EditAnswer::Nothing;

  auto mark = [&](const QString& text) {
    set.setMarked(gridTag, row, true);
    m_models.ParamsModified = true;
    putRowText(set, gridTag, row, text);
    return EditAnswer::Changed;
  };
  const RowSpec& spec = rowsOf(gridTag)[row];
  const QString& caption = spec.caption;
  switch (spec.kind) {
    case RowKind::Heading: return EditAnswer::Nothing;
    case RowKind::Toggle: return mark(toggledText(spec, value));
    case RowKind::Password: return EditAnswer::ChangePassword;
    default: break;
  }

  if (!m_editor) return EditAnswer::Nothing;
  const std::optional<std::int32_t> current = editorValue(spec, value, m_locale);
  const EditNote note = noteFor(gridTag, row, value, current);
  // A text that is no value goes to the editor as a value no answer can
  // equal (below its range): whatever the user confirms changes the row,
  // and Cancel leaves it as it was.
  std::int32_t handed = m_curValue;
  if (!current) {
    const std::optional<ranges::ValueRange> range = ranges::rangeOf(m_curRegister);
    handed = std::int32_t(range ? range->min - 1 : -1);
  }
  m_editor->show(caption, m_curRegister, handed, m_models.setup.EarthCtSecondary, note);
  const std::int32_t result = m_editor->value();
  if (result == handed) return EditAnswer::Nothing;
  return mark(textAfterEdit(spec, result, m_locale));
}

}  // namespace vmk
