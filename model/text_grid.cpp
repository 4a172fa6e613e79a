#include "model/text_grid.h"

namespace vmk {

TextGrid::TextGrid(int rows, int columns, QObject* parent)
    : QObject(parent), m_rows(rows), m_columns(columns), m_cells(rows * columns),
      m_widths(columns, 64) {}

bool TextGrid::inRange(int column, int row) const {
  return column >= 0 && column < m_columns && row >= 0 && row < m_rows;
}

QString TextGrid::cell(int column, int row) const {
  return inRange(column, row) ? m_cells[row * m_columns + column] : QString();
}

QList<QStringList> TextGrid::rows() const {
  QList<QStringList> out;
  for (int r = 0; r < m_rows; ++r) out << QStringList(m_cells.mid(r * m_columns, m_columns));
  return out;
}

void TextGrid::setCell(int column, int row, const QString& text) {
  if (!inRange(column, row)) return;
  QString& c = m_cells[row * m_columns + column];
  if (c == text) return;
  c = text;
  Q_EMIT cellChanged(column, row);
}

void TextGrid::clear() {
  for (QString& c : m_cells) c.clear();
  Q_EMIT cleared();
}

int TextGrid::columnWidth(int column) const {
  return column >= 0 && column < m_columns ? m_widths[column] : 0;
}

void TextGrid::setColumnWidth(int column, int width) {
  if (column < 0 || column >= m_columns || m_widths[column] == width) return;
  m_widths[column] = width;
  Q_EMIT columnWidthChanged(column, width);
}

void TextGrid::setCurrentRow(int row) {
  if (row < 0 || row >= m_rows) return;
  if (row != m_currentRow) {
    m_currentRow = row;
    Q_EMIT currentRowChanged(row);
  }
  Q_EMIT rowSelected(row);
}

}  // namespace vmk
