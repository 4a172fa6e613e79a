#pragma once
// One row of the parameter or setting grid as an operation saw it: where it
// is, what it shows and which registers and words it stands for.

#include <QString>
#include <QVector>
#include <cstdint>

namespace vmk {

struct ParamRow {
  int grid = 1;  // 1 Grid1, 2 grdSett (the grids' tags)
  int row = 0;   // index in its grid
  QString caption;
  QString text;  // the value text, as the grid shows it
  // The row's register, and the next one for a two-register row; empty for
  // the password row, whose words are the password itself and stay out of
  // every result.
  QVector<int> registers;
  // The words of those registers: as read, or as they are to be written.
  QVector<std::uint16_t> words;

  bool operator==(const ParamRow&) const = default;
};

}  // namespace vmk
