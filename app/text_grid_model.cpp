#include "app/text_grid_model.h"

namespace vmk {

TextGridModel::TextGridModel(TextGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(&grid) {
  connect(&grid, &TextGrid::cellChanged, this, [this](int column, int row) {
    const QModelIndex i = index(row, column);
    Q_EMIT dataChanged(i, i, {Qt::DisplayRole});
  });
  connect(&grid, &TextGrid::cleared, this, [this] {
    if (rowCount() && columnCount())
      Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  });
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !m_grid ? 0 : m_grid->rowCount();
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !m_grid ? 0 : m_grid->columnCount();
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
  if (!m_grid || !index.isValid()) return {};
  if (role == Qt::DisplayRole) return m_grid->cell(index.column(), index.row());
  return {};
}

}  // namespace vmk
