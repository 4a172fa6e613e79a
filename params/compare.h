#pragma once
// Two parameter sets side by side, row by row: the device's two setting
// groups, the device and a settings file, or two files. Rows are compared
// by the words they would write, so that "0.50" and "0,5" are one value; a
// row one side lacks, or whose text does not convert, is said so and never
// counts as equal.

#include <QLocale>
#include <QString>
#include <QVector>
#include <cstdint>
#include <optional>

#include "params/param_set.h"
#include "params/value_diff.h"

namespace vmk {

// One side: a name for the captions ("Группа 1", "Устройство, группа 2",
// a file name) and what it holds; a row that holds nothing is one the side
// lacks.
struct CompareSide {
  QString name;
  ParamSet values;

  static int rowKey(int grid, int row) { return grid * 1000 + row; }
  bool holds(int grid, int row) const { return !values.value(grid, row).isNothing(); }
};

enum class RowCompare {
  Equal,
  Differs,
  OnlyLeft,       // the right side lacks the row
  OnlyRight,      // the left side lacks the row
  Unconvertible,  // a text of either side stands for no value it could write
};

struct CompareRow {
  int grid = 1;
  int row = 0;
  QString caption;
  std::optional<QString> left, right;  // the texts each side shows
  QVector<std::uint16_t> leftWords, rightWords;  // empty when not converted
  RowCompare state = RowCompare::Equal;
  QString why;  // Unconvertible: which side and why, in Russian

  bool differs() const { return state != RowCompare::Equal; }
};

struct Comparison {
  QString leftName, rightName;
  QVector<CompareRow> rows;  // every data row either side holds, in grid order
  ParamSet leftValues, rightValues;  // what the sides hold, to take over from

  int differing() const;
  bool equal() const { return differing() == 0; }
};

// Which grids take part: the device's two groups compare settings only.
enum class CompareGrids { Both, SettingsOnly };

// Every data row of the catalogue that either side holds (Grid1 then
// grdSett), the password row left out.
Comparison compareSides(const CompareSide& left, const CompareSide& right,
                        CompareGrids grids = CompareGrids::Both);

// The state as a word for the command line and as a caption for the window.
QString stateWord(RowCompare state);
QString stateCaption(RowCompare state, const Comparison& c);

// The row's unit ("In", "с"; empty when none).
QString rowUnit(const CompareRow& r);
// A side's text of a row with the row's unit ("22,50 In"); "—" for a row
// the side lacks.
QString shownText(const CompareRow& r, bool right);
// The bits of a bit-string row that differ from the left side to the
// right ("+" set on the right), named; empty for other rows and rows
// whose texts did not convert.
QString bitDifference(const CompareRow& r, const BitNames& names);

// Takes over into `set` the values of one side (true: the right) for
// exactly the rows that differ (Differs, or only that side holds them),
// each marked "*" for the next write, which checks them as every write
// does. A row whose text does not convert is not taken: the view names it
// and the set keeps its own. The settings go into the set's group. Gives
// the rows taken, as CompareSide::rowKey.
QVector<int> takeOver(const Comparison& c, bool fromRight, ParamSet& set);

}  // namespace vmk
