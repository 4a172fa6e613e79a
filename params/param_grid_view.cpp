#include "params/param_grid_view.h"

#include "model/text_grid.h"
#include "params/catalogue.h"
#include "params/param_set.h"

namespace vmk {

ParamGridView::ParamGridView(ParamSet& set, TextGrid& grid1, TextGrid& grdSett)
    : m_set(set), m_grid1(grid1), m_grdSett(grdSett) {
  m_set.setWatcher([this](int grid, int row) { show(grid, row); });
  show(1, -1);
  show(2, -1);
}

ParamGridView::~ParamGridView() { m_set.setWatcher({}); }

void ParamGridView::show(int grid, int row) {
  TextGrid& cells = grid == 2 ? m_grdSett : m_grid1;
  if (row < 0) {
    for (int r = 0; r < ParamSet::rowCount(grid); ++r) show(grid, r);
    return;
  }
  if (row >= ParamSet::rowCount(grid)) return;
  cells.setCell(grid::kCaption, row, rowsOf(grid)[row].caption);
  cells.setCell(grid::kValue, row, m_set.text(grid, row));
  cells.setCell(grid::kMark, row, m_set.marked(grid, row) ? QStringLiteral("*") : QString());
  cells.setCell(grid::kRegister, row, QString::number(m_set.registerOf(grid, row)));
}

void putRowText(ParamSet& set, int grid, int row, const QString& text) {
  if (row < 0 || row >= ParamSet::rowCount(grid)) return;
  set.setValue(grid, row,
               RowValue::given(text, wordsFromText(rowsOf(grid)[row], text, set.locale())));
}

}  // namespace vmk
