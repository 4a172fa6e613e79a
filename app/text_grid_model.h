#pragma once
// A thin table model over a TextGrid: the views show the grid's texts and
// follow its changes; the grid stays the only copy of the values.

#include <QAbstractTableModel>
#include <QPointer>

#include "model/text_grid.h"

namespace vmk {

class TextGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TextGridModel(TextGrid& grid, QObject* parent = nullptr);

  TextGrid& grid() const { return *m_grid; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  QPointer<TextGrid> m_grid;
};

}  // namespace vmk
