#pragma once
// A rows x columns table of texts: the parameter, setting and journal grids.
// A grid is a view: the values it shows are held elsewhere (the parameter
// set, the journal records) and rendered into it. The window draws it
// through a thin table-model adapter.

#include <QObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

namespace vmk {

class TextGrid : public QObject {
  Q_OBJECT
 public:
  TextGrid(int rows, int columns, QObject* parent = nullptr);

  int rowCount() const { return m_rows; }
  int columnCount() const { return m_columns; }

  // Out-of-range cells read as empty and ignore writes.
  QString cell(int column, int row) const;
  void setCell(int column, int row, const QString& text);
  // Every row's cells, top to bottom.
  QList<QStringList> rows() const;

  // `ClearTab`: every cell of every row and column becomes empty.
  void clear();

  int columnWidth(int column) const;
  void setColumnWidth(int column, int width);

  int currentRow() const { return m_currentRow; }
  // Selects a row: currentRowChanged when it is another row, and
  // rowSelected every time, the row already current included.
  void setCurrentRow(int row);

 Q_SIGNALS:
  void cellChanged(int column, int row);
  void cleared();
  void columnWidthChanged(int column, int width);
  void currentRowChanged(int row);
  void rowSelected(int row);

 private:
  bool inRange(int column, int row) const;

  int m_rows;
  int m_columns;
  QVector<QString> m_cells;
  QVector<int> m_widths;
  int m_currentRow = 0;
};

}  // namespace vmk
