#include "app/change_log_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "changelog/messages.h"
#include "shell/changelog_commands.h"
#include "shell/shell_context.h"
#include "shell/viewer_names.h"

namespace vmk {

ChangeLogWindow::ChangeLogWindow(ShellContext& ws, QWidget* parent)
    : QDialog(parent), m_ws(ws), m_names(ws.ProgramDir) {
  setObjectName(QStringLiteral("ChangeLogWindow"));
  setWindowTitle(msg::changelog::kTitle);
  resize(1180, 560);

  m_filter = new QLineEdit;
  m_filter->setObjectName(QStringLiteral("edLogFilter"));
  m_filter->setPlaceholderText(QStringLiteral("Фильтр: параметр, операция, регистр, пользователь..."));
  connect(m_filter, &QLineEdit::textChanged, this, &ChangeLogWindow::fill);
  auto* refresh = new QPushButton(QStringLiteral("Обновить"));
  connect(refresh, &QPushButton::clicked, this, &ChangeLogWindow::reload);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Фильтр:")));
  top->addWidget(m_filter, 1);
  top->addWidget(refresh);

  m_table = new QTableWidget(0, int(changeLogColumns().size()));
  m_table->setObjectName(QStringLiteral("tblChangeLog"));
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->verticalHeader()->setVisible(false);
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->setTextElideMode(Qt::ElideNone);
  m_table->setHorizontalHeaderLabels(changeLogColumns());
  // The window shows one device's log: its name and number are the file's.
  m_table->setColumnHidden(change_column::kDevice, true);
  m_table->setColumnHidden(change_column::kSerial, true);

  m_info = new QLabel;
  m_info->setObjectName(QStringLiteral("lblChangeLogInfo"));
  auto* close = new QPushButton(QStringLiteral("Закрыть"));
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(m_info, 1);
  bottom->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(m_table, 1);
  layout->addLayout(bottom);
  reload();
}

void ChangeLogWindow::reload() {
  m_reading = {};
  const std::optional<int> serial = connectedSerial(m_ws);
  if (serial && m_ws.changeLog) m_reading = readDeviceLog(*m_ws.changeLog, m_ws.session.vmk.Name, *serial);
  fill();
}

void ChangeLogWindow::setFilter(const QString& text) { m_filter->setText(text); }

int ChangeLogWindow::shownRows() const { return m_table->rowCount(); }

void ChangeLogWindow::fill() {
  m_table->setRowCount(0);
  const std::optional<int> serial = connectedSerial(m_ws);
  if (!serial || !m_ws.changeLog) {
    m_info->setText(msg::changelog::kNoDevice);
    return;
  }
  // The filter looks at what the window shows and at the raw record.
  const QString filter = m_filter->text().trimmed();
  const BitNames names = viewerNames(m_names);
  for (const ChangeRecord& r : m_reading.records) {
    const QStringList cells = recordCells(r, names);
    if (!filter.isEmpty() && !(cells.join(QLatin1Char('\t')) + QLatin1Char('\t') + recordLine(r))
                                   .contains(filter, Qt::CaseInsensitive))
      continue;
    const int at = m_table->rowCount();
    m_table->insertRow(at);
    for (int col = 0; col < cells.size(); ++col) {
      auto* item = new QTableWidgetItem(cells[col]);
      item->setToolTip(cells[col]);
      m_table->setItem(at, col, item);
    }
  }
  QString info = m_ws.changeLog->fileOf(m_ws.session.vmk.Name, *serial) +
                 QStringLiteral(" — записей: %1 из %2").arg(m_table->rowCount()).arg(m_reading.records.size());
  if (!m_reading.error.isEmpty()) info += QStringLiteral(". %1: %2").arg(m_reading.errorFile, m_reading.error);
  if (m_reading.damaged > 0) info += QStringLiteral(". ") + msg::changelog::kDamaged.arg(m_reading.damaged);
  m_info->setText(info);
  m_table->resizeColumnsToContents();
}

}  // namespace vmk
