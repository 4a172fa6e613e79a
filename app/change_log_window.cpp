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

namespace vmk {

ChangeLogWindow::ChangeLogWindow(ShellContext& ws, QWidget* parent) : QDialog(parent), m_ws(ws) {
  setObjectName(QStringLiteral("ChangeLogWindow"));
  setWindowTitle(msg::changelog::kTitle);
  resize(1000, 560);

  m_filter = new QLineEdit;
  m_filter->setObjectName(QStringLiteral("edLogFilter"));
  m_filter->setPlaceholderText(QStringLiteral("Фильтр: операция, регистр, пользователь..."));
  connect(m_filter, &QLineEdit::textChanged, this, &ChangeLogWindow::fill);
  auto* refresh = new QPushButton(QStringLiteral("Обновить"));
  connect(refresh, &QPushButton::clicked, this, &ChangeLogWindow::reload);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Фильтр:")));
  top->addWidget(m_filter, 1);
  top->addWidget(refresh);

  m_table = new QTableWidget(0, 11);
  m_table->setObjectName(QStringLiteral("tblChangeLog"));
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->verticalHeader()->setVisible(false);
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->setHorizontalHeaderLabels(
      {QStringLiteral("Время"), QStringLiteral("Пользователь"), QStringLiteral("Устройство"),
       QStringLiteral("Зав. номер"), QStringLiteral("Адрес"), QStringLiteral("Операция"),
       QStringLiteral("Регистр"), QStringLiteral("Было"), QStringLiteral("Стало"),
       QStringLiteral("Результат"), QStringLiteral("Проверка")});

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
  const QVector<ChangeRecord> shown = filterRecords(m_reading.records, m_filter->text());
  for (const ChangeRecord& r : shown) {
    const int at = m_table->rowCount();
    m_table->insertRow(at);
    const QStringList cells = recordLine(r).split(QLatin1Char('\t'));
    for (int col = 0; col < cells.size(); ++col)
      m_table->setItem(at, col, new QTableWidgetItem(cells[col]));
  }
  QString info = m_ws.changeLog->fileOf(m_ws.session.vmk.Name, *serial) +
                 QStringLiteral(" — записей: %1 из %2").arg(shown.size()).arg(m_reading.records.size());
  if (!m_reading.error.isEmpty()) info += QStringLiteral(". %1: %2").arg(m_reading.errorFile, m_reading.error);
  if (m_reading.damaged > 0) info += QStringLiteral(". ") + msg::changelog::kDamaged.arg(m_reading.damaged);
  m_info->setText(info);
  m_table->resizeColumnsToContents();
}

}  // namespace vmk
