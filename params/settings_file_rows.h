#pragma once
// The rows of a settings file as a script prepares them without a device
// (vmkctl params new / show / edit / check): a new file's default set, a
// row found by its caption, and each row's value checked as a write would
// check it - its words, then its engineering range.

#include <QString>
#include <QVector>

#include "params/param_row.h"

namespace vmk {

class ParamSet;

// A new file's set for device variant 1..3 (ranges/default_settings.h):
// every row a file stores holds its default text and is marked.
ParamSet defaultSet(int variant);

// The row a caption names, or why there is none.
struct FoundRow {
  int grid = 0;  // 1 the parameters, 2 the settings
  int row = -1;
  QString why;
  bool ok() const { return why.isEmpty(); }
};

// The row a settings file stores whose caption is `caption` (trimmed,
// exactly). "Параметры:" or "Уставки:" in front picks the grid; a caption
// both grids have needs it. A heading or the password row is no row a
// file stores.
FoundRow findStoredRow(const QString& caption);

// The row as a script sees it: caption, text, register(s) (a setting's of
// the set's group) and the words it would write (none when it writes none).
ParamRow paramRowOf(const ParamSet& set, int grid, int row);

// A row as a script named or checked it, and why it cannot stand.
struct CheckedRow {
  ParamRow row;
  QString why;  // in Russian; empty when the row is fine
  bool ok() const { return why.isEmpty(); }
};

// An edit of a file's row by its caption (findStoredRow): the text goes
// into the set as an edit of the grid puts it, and the row is marked. When
// the caption names no stored row or the value would not be written as it
// stands (valueProblem), the set is left as it was and `why` says so.
CheckedRow editStoredRow(ParamSet& set, const QString& caption, const QString& text);

// Why the row's value would not be written as it stands: a text that is no
// value of the row, one that stands for none (the device would keep its
// own), or a value outside its engineering range; empty when it would be.
QString valueProblem(const ParamSet& set, int grid, int row);

// Every marked row of the set with a problem, the parameters first.
QVector<CheckedRow> badMarkedRows(const ParamSet& set);

// One line per row: "«caption» = «text»: why".
QString checkedRowList(const QVector<CheckedRow>& rows);

}  // namespace vmk
