#include "params/param_set.h"

#include <utility>

#include "params/messages.h"

namespace vmk {

RowValue RowValue::read(std::uint16_t word, std::uint16_t next) {
  RowValue v;
  v.m_kind = Kind::Read;
  v.m_word = word;
  v.m_next = next;
  return v;
}

RowValue RowValue::given(QString text, WriteWords words) {
  RowValue v;
  v.m_kind = Kind::Given;
  v.m_text = std::move(text);
  v.m_words = std::move(words);
  return v;
}

QString RowValue::text(const RowSpec& row, const QLocale& locale) const {
  switch (m_kind) {
    case Kind::Nothing: return {};
    case Kind::Read: return textFromWords(row, m_word, m_next, locale);
    case Kind::Given: return m_text;
  }
  return {};
}

WriteWords RowValue::words(const RowSpec& row) const {
  switch (m_kind) {
    case Kind::Nothing: return wordsOfEmptyRow(row);
    case Kind::Read: return wordsOfRead(row, m_word, m_next);
    case Kind::Given: return m_words;
  }
  return wordsOfEmptyRow(row);
}

ParamSet::ParamSet(int group)
    : m_params(paramRows().size()), m_settings(settingRows().size()), m_group(group == 2 ? 2 : 1) {}

ParamSet::ParamSet(const ParamSet& other)
    : m_params(other.m_params),
      m_settings(other.m_settings),
      m_group(other.m_group),
      m_locale(other.m_locale) {}

ParamSet& ParamSet::operator=(const ParamSet& other) {
  m_params = other.m_params;
  m_settings = other.m_settings;
  m_group = other.m_group;
  m_locale = other.m_locale;
  changed(1, -1);
  changed(2, -1);
  return *this;
}

int ParamSet::rowCount(int grid) { return int(rowsOf(grid).size()); }

void ParamSet::setLocale(const QLocale& locale) {
  if (locale == m_locale) return;
  m_locale = locale;
  changed(1, -1);
  changed(2, -1);
}

const ParamSet::Row* ParamSet::rowAt(int grid, int row) const {
  const QVector<Row>& rows = grid == 2 ? m_settings : m_params;
  return (grid == 1 || grid == 2) && row >= 0 && row < rows.size() ? &rows[row] : nullptr;
}

// The rows are shared with the sets copied from this one until one of them
// changes: a row to be changed is taken through the non-const operator[],
// which gives this set rows of its own first.
ParamSet::Row* ParamSet::rowAt(int grid, int row) {
  if (!std::as_const(*this).rowAt(grid, row)) return nullptr;
  return &(grid == 2 ? m_settings : m_params)[row];
}

void ParamSet::changed(int grid, int row) const {
  if (m_watcher) m_watcher(grid, row);
}

const RowValue& ParamSet::value(int grid, int row) const {
  static const RowValue nothing;
  const Row* r = rowAt(grid, row);
  return r ? r->value : nothing;
}

bool ParamSet::marked(int grid, int row) const {
  const Row* r = rowAt(grid, row);
  return r && r->marked;
}

void ParamSet::setValue(int grid, int row, RowValue value) {
  Row* r = rowAt(grid, row);
  if (!r || r->value == value) return;
  r->value = std::move(value);
  changed(grid, row);
}

void ParamSet::setMarked(int grid, int row, bool marked) {
  Row* r = rowAt(grid, row);
  if (!r || r->marked == marked) return;
  r->marked = marked;
  changed(grid, row);
}

int ParamSet::registerOf(int grid, int row) const {
  if (!rowAt(grid, row)) return -1;
  const RowSpec& spec = rowsOf(grid)[row];
  if (spec.kind == RowKind::Heading) return -1;
  if (spec.kind == RowKind::Password) return kPasswordRegister;
  return (grid == 2 ? groupBase(m_group) : 0) + spec.reg;
}

QString ParamSet::text(int grid, int row) const {
  return rowAt(grid, row) ? value(grid, row).text(rowsOf(grid)[row], m_locale) : QString();
}

WriteWords ParamSet::words(int grid, int row) const {
  if (!rowAt(grid, row)) return WriteWords{{}, kRowNotWritten, false};
  return value(grid, row).words(rowsOf(grid)[row]);
}

void ParamSet::clearParameters() {
  m_params.fill(Row{});
  changed(1, -1);
}

void ParamSet::clearSettings(int group) {
  m_settings.fill(Row{});
  m_group = group == 2 ? 2 : 1;
  changed(2, -1);
}

}  // namespace vmk
