#include "app/grid_panel.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "app/text_grid_model.h"
#include "shell/page_rules.h"

namespace vmk {

bool HeadingRowDelegate::isHeadingRow(const QModelIndex& index, int registerColumn) {
  return index.sibling(index.row(), registerColumn).data().toString() == QStringLiteral("-1");
}

void HeadingRowDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (!isHeadingRow(index, m_registerColumn)) return;
  const QPalette& pal = option->widget ? option->widget->palette() : QApplication::palette();
  option->backgroundBrush = pal.brush(QPalette::Button);
  option->palette.setBrush(QPalette::Text, pal.brush(QPalette::ButtonText));
  option->palette.setBrush(QPalette::HighlightedText, pal.brush(QPalette::ButtonText));
  option->palette.setBrush(QPalette::Highlight, pal.brush(QPalette::Button));
}

namespace {

// A header standing on its own, as tall as its text (the scroll area's
// minimum size hint would make it a 68-pixel square).
class HeaderControl : public QHeaderView {
 public:
  explicit HeaderControl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}
  QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }
};

}  // namespace

GridPanel::GridPanel(Workspace& ws, int tag, const QString& headerName, const QString& gridName,
                     const QList<Section>& sections, QWidget* parent)
    : QWidget(parent), m_ws(ws), m_tag(tag) {
  TextGrid* grid = gridForHeaderTag(ws, tag);
  Q_ASSERT(grid);

  m_captions = new QStandardItemModel(0, int(sections.size()), this);
  for (int i = 0; i < sections.size(); ++i)
    m_captions->setHorizontalHeaderItem(i, new QStandardItem(sections[i].caption));
  m_header = new HeaderControl(this);
  m_header->setObjectName(headerName);
  m_header->setModel(m_captions);
  m_header->setSectionResizeMode(QHeaderView::Interactive);
  m_header->setStretchLastSection(false);
  m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  m_header->setSectionsClickable(false);
  m_header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

  m_model = new TextGridModel(*grid, this);
  m_view = new QTableView(this);
  m_view->setObjectName(gridName);
  m_view->setModel(m_model);
  m_view->horizontalHeader()->hide();
  m_view->verticalHeader()->hide();
  m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_view->setSelectionMode(QAbstractItemView::SingleSelection);
  m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_view->setWordWrap(false);

  // The design widths of the columns: the header's sections less the margin;
  // columns without a section keep the grid's own width.
  for (int i = 0; i < sections.size(); ++i) {
    m_header->resizeSection(i, sections[i].width);
    Header1SectionResize(ws, tag, i, sections[i].width);
  }
  for (int c = 0; c < grid->columnCount(); ++c) m_view->setColumnWidth(c, grid->columnWidth(c));
  connect(grid, &TextGrid::columnWidthChanged, m_view,
          [this](int column, int width) { m_view->setColumnWidth(column, width); });
  connect(m_header, &QHeaderView::sectionResized, this,
          [this](int section, int, int width) {
            Header1SectionResize(m_ws, m_tag, section, width);
          });
  // The header scrolls with the grid.
  connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, m_header,
          &QHeaderView::setOffset);

  connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this, grid](const QModelIndex& current) {
            if (current.isValid() && !m_following) grid->setCurrentRow(current.row());
          });
  connect(grid, &TextGrid::currentRowChanged, this, [this](int row) {
    if (m_view->currentIndex().row() == row) return;
    m_following = true;
    m_view->setCurrentIndex(m_model->index(row, std::max(0, m_view->currentIndex().column())));
    m_following = false;
  });
  // A click on the row that is already current changes no current index,
  // yet it selects the row again: after a read, or back from the other grid.
  m_view->viewport()->installEventFilter(this);
  connect(m_view, &QTableView::pressed, this, [this, grid](const QModelIndex& index) {
    if (index.isValid() && index.row() == m_rowBeforePress) grid->setCurrentRow(index.row());
  });
  connect(m_view, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { Q_EMIT rowDoubleClicked(index.row()); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_header);
  layout->addWidget(m_view, 1);
}

bool GridPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonPress)
    m_rowBeforePress = m_view->currentIndex().isValid() ? m_view->currentIndex().row() : -1;
  return QWidget::eventFilter(watched, event);
}

}  // namespace vmk
