#pragma once
// A header control over a string grid: the header's sections are dragged
// by the user and size the grid's columns through the workspace's rule
// (`Header1SectionResize`); the grid's column widths follow its TextGrid.

#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>

class QHeaderView;
class QStandardItemModel;

namespace vmk {

class TextGridModel;
class Workspace;

// Draws the heading rows of the parameter and setting grids (register
// column "-1") in the grid's fixed colour with the menu-text colour.
class HeadingRowDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit HeadingRowDelegate(int registerColumn, QObject* parent = nullptr)
      : QStyledItemDelegate(parent), m_registerColumn(registerColumn) {}
  static bool isHeadingRow(const QModelIndex& index, int registerColumn);

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  int m_registerColumn;
};

class GridPanel : public QWidget {
  Q_OBJECT
 public:
  struct Section {
    QString caption;
    int width;
  };

  // `headerName`/`gridName` are the objectNames; `tag` pairs the header with
  // its grid (1 Grid1 ... 5 grdAlarm).
  GridPanel(Workspace& ws, int tag, const QString& headerName, const QString& gridName,
            const QList<Section>& sections, QWidget* parent = nullptr);

  QHeaderView* header() const { return m_header; }
  QTableView* grid() const { return m_view; }
  int tag() const { return m_tag; }

 Q_SIGNALS:
  void rowDoubleClicked(int row);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Workspace& m_ws;
  int m_tag;
  QStandardItemModel* m_captions;
  QHeaderView* m_header;
  QTableView* m_view;
  TextGridModel* m_model;
  bool m_following = false;  // the view follows the grid's current row
  int m_rowBeforePress = -1;  // the current row when the mouse went down
};

}  // namespace vmk
