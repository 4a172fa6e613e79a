#include "params/compare.h"

#include "model/text_grid.h"
#include "params/catalogue.h"
#include "params/compare_messages.h"

namespace vmk {

std::optional<QString> CompareSide::text(int grid, int row) const {
  const auto it = texts.constFind(rowKey(grid, row));
  if (it == texts.constEnd()) return std::nullopt;
  return *it;
}

int Comparison::differing() const {
  int n = 0;
  for (const CompareRow& r : rows) n += r.differs();
  return n;
}

namespace {

// The words a text writes; the reason when it writes none.
QString convert(const RowSpec& spec, const QString& text, const QLocale& locale,
                QVector<std::uint16_t>& words) {
  const WriteWords w = WordsFromText(spec, text, locale);
  if (w.kept) return msg::compare::kNoValue;
  if (!w.ok()) return w.why;
  words = w.words;
  return {};
}

void compareGrid(int tag, const CompareSide& left, const CompareSide& right,
                 const QLocale& locale, Comparison& out) {
  const QVector<RowSpec>& rows = RowsOf(tag);
  for (int i = 0; i < rows.size(); ++i) {
    const RowSpec& spec = rows[i];
    if (!spec.isData()) continue;
    CompareRow r;
    r.grid = tag;
    r.row = i;
    r.caption = spec.caption;
    r.left = left.text(tag, i);
    r.right = right.text(tag, i);
    if (!r.left && !r.right) continue;
    if (!r.left || !r.right) {
      r.state = r.left ? RowCompare::OnlyLeft : RowCompare::OnlyRight;
      out.rows << r;
      continue;
    }
    const QString whyLeft = convert(spec, *r.left, locale, r.leftWords);
    const QString whyRight = convert(spec, *r.right, locale, r.rightWords);
    if (!whyLeft.isEmpty() || !whyRight.isEmpty()) {
      r.state = RowCompare::Unconvertible;
      QStringList why;
      if (!whyLeft.isEmpty()) why << left.name + QStringLiteral(": ") + whyLeft;
      if (!whyRight.isEmpty()) why << right.name + QStringLiteral(": ") + whyRight;
      r.why = why.join(QStringLiteral("; "));
    } else {
      r.state = r.leftWords == r.rightWords ? RowCompare::Equal : RowCompare::Differs;
    }
    out.rows << r;
  }
}

}  // namespace

Comparison compareSides(const CompareSide& left, const CompareSide& right, CompareGrids grids,
                        const QLocale& locale) {
  Comparison c;
  c.leftName = left.name;
  c.rightName = right.name;
  if (grids == CompareGrids::Both) compareGrid(1, left, right, locale, c);
  compareGrid(2, left, right, locale, c);
  return c;
}

QString stateWord(RowCompare state) {
  switch (state) {
    case RowCompare::Equal:
      return QStringLiteral("equal");
    case RowCompare::Differs:
      return QStringLiteral("differs");
    case RowCompare::OnlyLeft:
      return QStringLiteral("only-left");
    case RowCompare::OnlyRight:
      return QStringLiteral("only-right");
    case RowCompare::Unconvertible:
      return QStringLiteral("unconvertible");
  }
  return {};
}

QString stateCaption(RowCompare state, const Comparison& c) {
  switch (state) {
    case RowCompare::Equal:
      return msg::compare::kEqual;
    case RowCompare::Differs:
      return msg::compare::kDiffers;
    case RowCompare::OnlyLeft:
      return msg::compare::kMissingIn.arg(c.rightName);
    case RowCompare::OnlyRight:
      return msg::compare::kMissingIn.arg(c.leftName);
    case RowCompare::Unconvertible:
      return msg::compare::kUnconvertible;
  }
  return {};
}

QVector<int> takeOver(const Comparison& c, bool fromRight, TextGrid& grid1, TextGrid& grdSett) {
  QVector<int> taken;
  const RowCompare onlySource = fromRight ? RowCompare::OnlyRight : RowCompare::OnlyLeft;
  for (const CompareRow& r : c.rows) {
    if (r.state != RowCompare::Differs && r.state != onlySource) continue;
    const std::optional<QString>& text = fromRight ? r.right : r.left;
    if (!text) continue;
    TextGrid& grid = r.grid == 2 ? grdSett : grid1;
    if (r.row >= grid.rowCount()) continue;
    grid.setCell(grid::kValue, r.row, *text);
    grid.setCell(grid::kMark, r.row, QStringLiteral("*"));
    taken << CompareSide::rowKey(r.grid, r.row);
  }
  return taken;
}

}  // namespace vmk
