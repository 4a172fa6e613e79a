#include "params/compare.h"

#include "params/catalogue.h"
#include "params/compare_messages.h"

namespace vmk {

int Comparison::differing() const {
  int n = 0;
  for (const CompareRow& r : rows) n += r.differs();
  return n;
}

namespace {

// The words a row of a side writes; the reason when it writes none.
QString convert(const CompareSide& side, int tag, int row, QVector<std::uint16_t>& words) {
  const WriteWords w = side.values.words(tag, row);
  if (w.kept) return msg::compare::kNoValue;
  if (!w.ok()) return w.why;
  words = w.words;
  return {};
}

std::optional<QString> textOf(const CompareSide& side, int tag, int row) {
  if (!side.holds(tag, row)) return std::nullopt;
  return side.values.text(tag, row);
}

void compareGrid(int tag, const CompareSide& left, const CompareSide& right, Comparison& out) {
  const QVector<RowSpec>& rows = rowsOf(tag);
  for (int i = 0; i < rows.size(); ++i) {
    const RowSpec& spec = rows[i];
    if (!spec.isData()) continue;
    CompareRow r;
    r.grid = tag;
    r.row = i;
    r.caption = spec.caption;
    r.left = textOf(left, tag, i);
    r.right = textOf(right, tag, i);
    if (!r.left && !r.right) continue;
    if (!r.left || !r.right) {
      r.state = r.left ? RowCompare::OnlyLeft : RowCompare::OnlyRight;
      out.rows << r;
      continue;
    }
    const QString whyLeft = convert(left, tag, i, r.leftWords);
    const QString whyRight = convert(right, tag, i, r.rightWords);
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

Comparison compareSides(const CompareSide& left, const CompareSide& right, CompareGrids grids) {
  Comparison c;
  c.leftName = left.name;
  c.rightName = right.name;
  c.leftValues = left.values;
  c.rightValues = right.values;
  if (grids == CompareGrids::Both) compareGrid(1, left, right, c);
  compareGrid(2, left, right, c);
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

QString rowUnit(const CompareRow& r) {
  return unitOf(registerOfRow(r.grid, rowsOf(r.grid)[r.row]));
}

QString shownText(const CompareRow& r, bool right) {
  const std::optional<QString>& text = right ? r.right : r.left;
  return text ? withUnit(*text, rowUnit(r)) : msg::compare::kNoText;
}

QString bitDifference(const CompareRow& r, const BitNames& names) {
  if (r.leftWords.isEmpty() || r.rightWords.isEmpty()) return {};
  const RowSpec& spec = rowsOf(r.grid)[r.row];
  return bitDifference(spec, registerOfRow(r.grid, spec), r.leftWords, r.rightWords, names);
}

QVector<int> takeOver(const Comparison& c, bool fromRight, ParamSet& set) {
  QVector<int> taken;
  const RowCompare onlySource = fromRight ? RowCompare::OnlyRight : RowCompare::OnlyLeft;
  const ParamSet& source = fromRight ? c.rightValues : c.leftValues;
  for (const CompareRow& r : c.rows) {
    if (r.state != RowCompare::Differs && r.state != onlySource) continue;
    const RowValue& value = source.value(r.grid, r.row);
    if (value.isNothing()) continue;
    set.setValue(r.grid, r.row, value);
    set.setMarked(r.grid, r.row, true);
    taken << CompareSide::rowKey(r.grid, r.row);
  }
  return taken;
}

}  // namespace vmk
