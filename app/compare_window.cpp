#include "app/compare_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "params/compare_messages.h"
#include "params/settings_file.h"
#include "shell/compare_commands.h"
#include "shell/params_page.h"
#include "shell/shell_context.h"
#include "shell/viewer_names.h"

namespace vmk {

namespace {

QColor colourOf(RowCompare state) {
  switch (state) {
    case RowCompare::Equal:
      return {};
    case RowCompare::Differs:
      return QColor(255, 200, 200);
    case RowCompare::OnlyLeft:
    case RowCompare::OnlyRight:
      return QColor(255, 240, 180);
    case RowCompare::Unconvertible:
      return QColor(255, 215, 150);
  }
  return {};
}

}  // namespace

CompareWindow::CompareWindow(ShellContext& ws, ParamsPage& page, QWidget* parent)
    : QDialog(parent), m_ws(ws), m_page(page), m_names(ws.ProgramDir) {
  setObjectName(QStringLiteral("CompareWindow"));
  setWindowTitle(msg::compare::kTitle);
  resize(1180, 660);

  m_groups = new QRadioButton(QStringLiteral("Группа 1 и группа 2 устройства"));
  m_groups->setObjectName(QStringLiteral("rbCompareGroups"));
  m_deviceFile = new QRadioButton(QStringLiteral("Устройство и файл"));
  m_deviceFile->setObjectName(QStringLiteral("rbCompareDeviceFile"));
  m_files = new QRadioButton(QStringLiteral("Два файла"));
  m_files->setObjectName(QStringLiteral("rbCompareFiles"));
  const bool connected = compareDeviceConnected(ws);
  m_groups->setEnabled(connected);
  m_deviceFile->setEnabled(connected);
  (connected ? m_groups : m_files)->setChecked(true);
  auto* run = new QPushButton(QStringLiteral("Сравнить"));
  run->setObjectName(QStringLiteral("btnCompare"));
  connect(run, &QPushButton::clicked, this, &CompareWindow::compare);

  auto* sources = new QHBoxLayout;
  sources->addWidget(m_groups);
  sources->addWidget(m_deviceFile);
  sources->addWidget(m_files);
  sources->addStretch();
  sources->addWidget(run);

  m_onlyDiffering = new QCheckBox(QStringLiteral("Только различия"));
  m_onlyDiffering->setObjectName(QStringLiteral("cbOnlyDiffering"));
  connect(m_onlyDiffering, &QCheckBox::toggled, this, &CompareWindow::fill);

  m_table = new QTableWidget(0, 4);
  m_table->setObjectName(QStringLiteral("tblCompare"));
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->verticalHeader()->setVisible(false);
  m_table->setHorizontalHeaderLabels(
      {QStringLiteral("Параметр"), QString(), QString(), QStringLiteral("Результат")});
  // Values are never cut: the caption and value columns are as wide as
  // their texts, the result wraps and the rows grow to hold it.
  m_table->setWordWrap(true);
  m_table->setTextElideMode(Qt::ElideNone);
  QHeaderView* columns = m_table->horizontalHeader();
  for (int col : {0, 1, 2}) columns->setSectionResizeMode(col, QHeaderView::ResizeToContents);
  columns->setSectionResizeMode(3, QHeaderView::Stretch);
  m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

  m_summary = new QLabel;
  m_summary->setObjectName(QStringLiteral("lblCompareSummary"));
  m_takeLeft = new QPushButton;
  m_takeLeft->setObjectName(QStringLiteral("btnTakeLeft"));
  m_takeRight = new QPushButton;
  m_takeRight->setObjectName(QStringLiteral("btnTakeRight"));
  connect(m_takeLeft, &QPushButton::clicked, this, [this] { takeOver(false); });
  connect(m_takeRight, &QPushButton::clicked, this, [this] { takeOver(true); });
  auto* close = new QPushButton(QStringLiteral("Закрыть"));
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_takeLeft);
  buttons->addWidget(m_takeRight);
  buttons->addStretch();
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(sources);
  layout->addWidget(m_onlyDiffering);
  layout->addWidget(m_table, 1);
  layout->addWidget(m_summary);
  layout->addLayout(buttons);
  fill();
}

void CompareWindow::compare() {
  std::optional<Comparison> c;
  if (m_groups->isChecked()) {
    c = compareGroups(m_ws);
  } else if (m_deviceFile->isChecked()) {
    const std::optional<QString> path = m_ws.prompts.openFile(settingsFileDialog());
    if (!path || path->isEmpty()) return;
    c = compareDeviceWithFile(m_ws, m_page, *path);
  } else {
    const std::optional<QString> left = m_ws.prompts.openFile(settingsFileDialog());
    if (!left || left->isEmpty()) return;
    const std::optional<QString> right = m_ws.prompts.openFile(settingsFileDialog());
    if (!right || right->isEmpty()) return;
    c = compareFiles(m_ws, *left, *right);
  }
  if (c) showComparison(*c);
}

void CompareWindow::showComparison(const Comparison& c) {
  m_comparison = c;
  fill();
}

void CompareWindow::takeOver(bool fromRight) {
  if (!m_comparison) return;
  const int n = takeOverIntoGrids(m_page, *m_comparison, fromRight);
  m_ws.prompts.information(msg::compare::kTaken.arg(n));
}

void CompareWindow::fill() {
  m_table->setRowCount(0);
  const bool any = m_comparison.has_value();
  m_takeLeft->setEnabled(any && !m_comparison->equal());
  m_takeRight->setEnabled(any && !m_comparison->equal());
  if (!any) {
    m_takeLeft->setText(QStringLiteral("Перенести слева в таблицы"));
    m_takeRight->setText(QStringLiteral("Перенести справа в таблицы"));
    m_summary->clear();
    return;
  }
  const Comparison& c = *m_comparison;
  m_table->setHorizontalHeaderLabels(
      {QStringLiteral("Параметр"), c.leftName, c.rightName, QStringLiteral("Результат")});
  m_takeLeft->setText(QStringLiteral("Перенести из «%1» в таблицы").arg(c.leftName));
  m_takeRight->setText(QStringLiteral("Перенести из «%1» в таблицы").arg(c.rightName));
  const BitNames names = viewerNames(m_names);
  int previousGrid = 0;
  for (const CompareRow& r : c.rows) {
    if (m_onlyDiffering->isChecked() && !r.differs()) continue;
    // A heading line between the parameters and the settings.
    if (r.grid != previousGrid) {
      const int at = m_table->rowCount();
      m_table->insertRow(at);
      auto* heading = new QTableWidgetItem(r.grid == 2 ? QStringLiteral("Уставки")
                                                       : QStringLiteral("Параметры"));
      QFont bold = heading->font();
      bold.setBold(true);
      heading->setFont(bold);
      m_table->setItem(at, 0, heading);
      previousGrid = r.grid;
    }
    const int at = m_table->rowCount();
    m_table->insertRow(at);
    QString result = stateCaption(r.state, c);
    if (!r.why.isEmpty()) result += QStringLiteral(": ") + r.why;
    const QString bits = bitDifference(r, names);
    if (!bits.isEmpty()) result += QLatin1Char('\n') + msg::compare::kBitsIn.arg(c.rightName, bits);
    const QStringList cells{r.caption, shownText(r, false), shownText(r, true), result};
    const QColor colour = colourOf(r.state);
    for (int col = 0; col < cells.size(); ++col) {
      auto* item = new QTableWidgetItem(cells[col]);
      item->setToolTip(cells[col]);
      if (colour.isValid()) item->setBackground(colour);
      m_table->setItem(at, col, item);
    }
  }
  m_summary->setText(c.equal() ? msg::compare::kAllEqual
                               : msg::compare::kSummary.arg(c.differing()).arg(c.rows.size()));
}

}  // namespace vmk
