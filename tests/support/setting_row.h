#pragma once
// The row of the setting grid that shows the register at `offset` from its
// group's base; -1 when no data row does.

#include "params/catalogue.h"

namespace vmk::test {

inline int settingRow(int offset) {
  const QVector<RowSpec>& rows = settingRows();
  for (int i = 0; i < rows.size(); ++i)
    if (rows[i].isData() && rows[i].reg == offset) return i;
  return -1;
}

}  // namespace vmk::test
