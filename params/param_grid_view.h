#pragma once
// The parameter grid `Grid1` and the setting grid `grdSett` as views of a
// parameter set: each row shows its caption, its value text, its "*" and
// its register (a setting's of the set's group), and follows every change
// of the set. Nothing is read back from the grids; an edit of a row puts
// its text into the set (putRowText).

#include <QString>

namespace vmk {

class ParamSet;
class TextGrid;

class ParamGridView {
 public:
  // Shows the whole set at once, then each change as it comes.
  ParamGridView(ParamSet& set, TextGrid& grid1, TextGrid& grdSett);
  ~ParamGridView();
  ParamGridView(const ParamGridView&) = delete;
  ParamGridView& operator=(const ParamGridView&) = delete;

 private:
  void show(int grid, int row);

  ParamSet& m_set;
  TextGrid& m_grid1;
  TextGrid& m_grdSett;
};

// An edit of a grid row: the text the row now shows (toggled, from the
// value editor) goes through the catalogue into the set. The mark is the
// caller's.
void putRowText(ParamSet& set, int grid, int row, const QString& text);

}  // namespace vmk
