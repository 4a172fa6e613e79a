#include "app/traffic_window.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "extlib/frame_observer.h"
#include "model/prompts.h"

namespace vmk {

// The stored frames as a table; cells are made when they are painted.
class TrafficFramesModel : public QAbstractTableModel {
 public:
  explicit TrafficFramesModel(const traffic::TrafficMonitor& monitor) : m_monitor(monitor) {}
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : m_rows;
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : int(traffic::TrafficMonitor::header().size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || index.row() >= m_rows || index.row() >= m_monitor.size())
      return {};
    return m_monitor.columns(index.row()).value(index.column());
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return traffic::TrafficMonitor::header().value(section);
  }
  void reload() {
    beginResetModel();
    m_rows = m_monitor.size();
    endResetModel();
  }

 private:
  const traffic::TrafficMonitor& m_monitor;
  int m_rows = 0;
};

TrafficWindow::TrafficWindow(ModbusLibrary& library, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), m_library(library), m_prompts(prompts) {
  setObjectName(QStringLiteral("TrafficMonitor"));
  setWindowTitle(QStringLiteral("Монитор обмена"));
  resize(1000, 600);

  m_model = std::make_unique<TrafficFramesModel>(m_monitor);
  m_frames = new QTableView;
  m_frames->setObjectName(QStringLiteral("grdFrames"));
  m_frames->setModel(m_model.get());
  m_frames->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_frames->verticalHeader()->setDefaultSectionSize(20);
  m_frames->verticalHeader()->hide();
  m_frames->horizontalHeader()->setStretchLastSection(true);
  const int widths[] = {90, 80, 50, 130, 220, 50, 50, 70};
  for (int c = 0; c < 8; ++c) m_frames->setColumnWidth(c, widths[c]);

  m_counts = new QTableWidget(0, int(traffic::TrafficMonitor::countsHeader().size()));
  m_counts->setObjectName(QStringLiteral("grdCounts"));
  m_counts->setHorizontalHeaderLabels(traffic::TrafficMonitor::countsHeader());
  m_counts->verticalHeader()->hide();
  m_counts->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_counts->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

  m_pause = new QCheckBox(QStringLiteral("Пауза"));
  m_pause->setObjectName(QStringLiteral("cbPause"));
  auto* clear = new QPushButton(QStringLiteral("Очистить"));
  clear->setObjectName(QStringLiteral("btnClear"));
  auto* save = new QPushButton(QStringLiteral("Сохранить..."));
  save->setObjectName(QStringLiteral("btnSave"));
  m_summary = new QLabel;
  m_summary->setObjectName(QStringLiteral("lblSummary"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_pause);
  buttons->addWidget(clear);
  buttons->addWidget(save);
  buttons->addStretch();
  buttons->addWidget(m_summary);

  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(m_frames);
  split->addWidget(m_counts);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(split);

  connect(m_pause, &QCheckBox::toggled, this, [this](bool on) {
    m_monitor.setPaused(on);
    refresh();
  });
  connect(clear, &QPushButton::clicked, this, [this] {
    m_monitor.clear();
    refresh();
  });
  connect(save, &QPushButton::clicked, this, &TrafficWindow::saveAs);
  m_timer.setInterval(250);
  connect(&m_timer, &QTimer::timeout, this, &TrafficWindow::refresh);
}

TrafficWindow::~TrafficWindow() {
  if (m_observing) removeFrameObserver(m_library, &m_monitor);
}

void TrafficWindow::showEvent(QShowEvent* event) {
  if (!m_observing) addFrameObserver(m_library, &m_monitor);
  m_observing = true;
  m_timer.start();
  refresh();
  QWidget::showEvent(event);
}

void TrafficWindow::closeEvent(QCloseEvent* event) {
  removeFrameObserver(m_library, &m_monitor);
  m_observing = false;
  m_timer.stop();
  QWidget::closeEvent(event);
}

void TrafficWindow::refresh() {
  QString summary = QStringLiteral("Кадров: %1").arg(m_monitor.size());
  if (m_monitor.dropped())
    summary += QStringLiteral(" (вытеснено из памяти: %1)").arg(m_monitor.dropped());
  if (m_monitor.missed()) summary += QStringLiteral(", пропущено при паузе: %1").arg(m_monitor.missed());
  m_summary->setText(summary);
  if (m_monitor.version() == m_shown) return;
  m_shown = m_monitor.version();
  m_model->reload();
  if (!m_monitor.paused()) m_frames->scrollToBottom();

  const auto& counts = m_monitor.counts();
  m_counts->setRowCount(int(counts.size()));
  int row = 0;
  for (const auto& [address, c] : counts) {
    const QStringList cells = traffic::TrafficMonitor::countColumns(c);
    for (int col = 0; col < cells.size(); ++col) {
      auto* item = new QTableWidgetItem(cells[col]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      m_counts->setItem(row, col, item);
    }
    ++row;
  }
}

void TrafficWindow::saveAs() {
  FileDialog dialog;
  dialog.filter = QStringLiteral("Текстовый файл (*.txt)|*.txt");
  dialog.defaultExt = QStringLiteral("txt");
  dialog.overwritePrompt = true;
  const std::optional<QString> path = m_prompts.saveFile(dialog);
  if (!path) return;
  QString error;
  if (!m_monitor.saveText(*path, &error))
    m_prompts.error(QStringLiteral("Ошибка записи файла %1: %2").arg(*path, error));
}

}  // namespace vmk
