#include "reports/settings_sheet.h"

#include "params/catalogue.h"
#include "params/param_set.h"

namespace vmk {

namespace {

void putRows(RegisterImage& image, const ParamSet& set, int grid, const RowTaken& taken) {
  const QVector<RowSpec>& rows = rowsOf(grid);
  for (int row = 0; row < rows.size(); ++row) {
    const RowSpec& spec = rows[row];
    if (!spec.isData() || set.value(grid, row).isNothing()) continue;
    if (taken && !taken(grid, row)) continue;
    const int first = set.registerOf(grid, row);
    const int count = spec.isTwoRegister() ? 2 : 1;
    const WriteWords words = set.words(grid, row);
    for (int i = 0; i < count; ++i) {
      if (words.ok() && i < words.words.size()) image.set(first + i, words.words[i]);
      else image.setNotAValue(first + i, NotAValue{set.text(grid, row), words.why});
    }
  }
}

}  // namespace

RegisterImage imageOfSet(const ParamSet& set, const RowTaken& taken) {
  RegisterImage image;
  putRows(image, set, 1, taken);
  putRows(image, set, 2, taken);
  return image;
}

ReportValues settingsSheetValues(const ParamSet& set, const QString& fileName, const SignalNameFn& names,
                                 const QLocale& locale, const QDateTime& now, const RowTaken& taken) {
  ReportValues values = sheetValues(imageOfSet(set, taken), names, locale);
  addValues(values, fileHeaderValues(fileName, now));
  return values;
}

}  // namespace vmk
