#include "params/settings_file_rows.h"

#include <QLocale>
#include <QStringList>

#include "params/catalogue.h"
#include "params/messages.h"
#include "params/param_grid_view.h"
#include "params/param_set.h"
#include "params/range_check.h"
#include "params/settings_file.h"
#include "ranges/default_settings.h"

namespace vmk {

namespace {

bool isStored(const RowSpec& row) { return !row.fileKey.isEmpty(); }

ranges::Scope scopeOf(int grid) {
  return grid == 2 ? ranges::Scope::Setting : ranges::Scope::Parameter;
}

}  // namespace

ParamSet defaultSet(int variant) {
  ParamSet set(1);
  set.setLocale(QLocale::c());
  for (int grid : {1, 2}) {
    const QVector<RowSpec>& rows = rowsOf(grid);
    for (int i = 0; i < rows.size(); ++i) {
      if (!isStored(rows[i])) continue;
      const std::optional<QString> text = ranges::defaultText(variant, scopeOf(grid), rows[i].reg);
      if (!text) continue;
      putRowText(set, grid, i, *text);
      set.setMarked(grid, i, true);
    }
  }
  return set;
}

FoundRow findStoredRow(const QString& caption) {
  QString name = caption.trimmed();
  QVector<int> grids{1, 2};
  for (int grid : {1, 2}) {
    const QString prefix = settingsSection(grid) + u':';
    if (!name.startsWith(prefix)) continue;
    name = name.mid(prefix.size()).trimmed();
    grids = {grid};
  }
  FoundRow found;
  int matches = 0;
  bool unstored = false;
  for (int grid : grids) {
    const QVector<RowSpec>& rows = rowsOf(grid);
    for (int i = 0; i < rows.size(); ++i) {
      if (rows[i].caption != name) continue;
      // "Ускорение МТЗ" is a heading as well as a setting.
      if (!isStored(rows[i])) {
        unstored = true;
        continue;
      }
      ++matches;
      found.grid = grid;
      found.row = i;
    }
  }
  if (matches == 1) return found;
  if (matches > 1) return FoundRow{0, -1, kAmbiguousCaption};
  return FoundRow{0, -1, unstored ? kRowNotStored : kUnknownCaption};
}

ParamRow paramRowOf(const ParamSet& set, int grid, int row) {
  const RowSpec& spec = rowsOf(grid)[row];
  ParamRow r{grid, row, spec.caption, set.text(grid, row), {}, {}};
  if (!spec.isData()) return r;
  const int first = set.registerOf(grid, row);
  r.registers << first;
  if (spec.isTwoRegister()) r.registers << first + 1;
  const WriteWords w = set.words(grid, row);
  if (w.ok()) r.words = w.words;
  return r;
}

QString valueProblem(const ParamSet& set, int grid, int row) {
  const WriteWords w = set.words(grid, row);
  if (w.kept) return kStandsForNoValue;
  if (!w.ok()) return w.why;
  const std::optional<QString> range =
      outOfRange(rowsOf(grid)[row], set.registerOf(grid, row), w.words, QLocale::c());
  return range ? kOutsideRange.arg(*range) : QString();
}

CheckedRow editStoredRow(ParamSet& set, const QString& caption, const QString& text) {
  const FoundRow found = findStoredRow(caption);
  if (!found.ok()) return CheckedRow{ParamRow{0, -1, caption.trimmed(), text, {}, {}}, found.why};
  const RowValue before = set.value(found.grid, found.row);
  putRowText(set, found.grid, found.row, text);
  CheckedRow edited{paramRowOf(set, found.grid, found.row),
                    valueProblem(set, found.grid, found.row)};
  if (edited.ok()) set.setMarked(found.grid, found.row, true);
  else set.setValue(found.grid, found.row, before);
  return edited;
}

QVector<CheckedRow> badMarkedRows(const ParamSet& set) {
  QVector<CheckedRow> bad;
  for (int grid : {1, 2})
    for (int i = 0; i < ParamSet::rowCount(grid); ++i) {
      if (!set.marked(grid, i)) continue;
      const QString why = valueProblem(set, grid, i);
      if (!why.isEmpty()) bad.append({paramRowOf(set, grid, i), why});
    }
  return bad;
}

QString checkedRowList(const QVector<CheckedRow>& rows) {
  QStringList lines;
  for (const CheckedRow& r : rows)
    lines << QStringLiteral("«%1» = «%2»: %3").arg(r.row.caption, r.row.text, r.why);
  return lines.join(u'\n');
}

}  // namespace vmk
