#include "app/port_settings_dialog.h"

#include <QComboBox>
#include <algorithm>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include "device/system_link.h"

namespace vmk {

const QList<int>& PortSettingsDialog::baudRates() {
  static const QList<int> rates{1200,  2400,  4800,   9600,   14400,  19200, 38400,
                                56000, 57600, 115200, 128000, 256000, 0};
  return rates;
}

PortSettingsDialog::PortSettingsDialog(const PortSettings& settings, QWidget* parent)
    : QDialog(parent), m_base(settings) {
  setObjectName(QStringLiteral("PortSettingsDialog"));
  setWindowTitle(QStringLiteral("Port1"));

  m_port = new QComboBox(this);
  m_port->setObjectName(QStringLiteral("cbPort"));
  m_port->setEditable(true);
  m_port->addItems(systemPortNames());
  m_port->setCurrentText(settings.portName);

  m_baud = new QComboBox(this);
  m_baud->setObjectName(QStringLiteral("cbBaudRate"));
  for (int rate : baudRates())
    m_baud->addItem(rate ? QString::number(rate) : QStringLiteral("Custom"), rate);
  const int baudIndex = m_baud->findData(settings.baudRate);
  m_baud->setCurrentIndex(baudIndex >= 0 ? baudIndex : m_baud->findData(0));

  m_customBaud = new QSpinBox(this);
  m_customBaud->setObjectName(QStringLiteral("seCustomBaudRate"));
  m_customBaud->setRange(50, 4000000);
  m_customBaud->setValue(baudIndex >= 0 ? settings.customBaudRate : settings.effectiveBaudRate());

  m_dataBits = new QComboBox(this);
  m_dataBits->setObjectName(QStringLiteral("cbDataBits"));
  for (int bits = 5; bits <= 8; ++bits) m_dataBits->addItem(QString::number(bits), bits);
  m_dataBits->setCurrentIndex(std::max(0, m_dataBits->findData(settings.dataBits)));

  m_parity = new QComboBox(this);
  m_parity->setObjectName(QStringLiteral("cbParity"));
  m_parity->addItems({QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even"),
                      QStringLiteral("Mark"), QStringLiteral("Space")});
  m_parity->setCurrentIndex(int(settings.parity));

  m_stopBits = new QComboBox(this);
  m_stopBits->setObjectName(QStringLiteral("cbStopBits"));
  m_stopBits->addItems({QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")});
  m_stopBits->setCurrentIndex(int(settings.stopBits));

  m_flow = new QComboBox(this);
  m_flow->setObjectName(QStringLiteral("cbFlowControl"));
  m_flow->addItems({QStringLiteral("Hardware"), QStringLiteral("Software"),
                    QStringLiteral("None"), QStringLiteral("Custom")});
  m_flow->setCurrentIndex(int(settings.flowControl));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Port"), m_port);
  form->addRow(QStringLiteral("Baud rate"), m_baud);
  form->addRow(QStringLiteral("Custom baud rate"), m_customBaud);
  form->addRow(QStringLiteral("Data bits"), m_dataBits);
  form->addRow(QStringLiteral("Parity"), m_parity);
  form->addRow(QStringLiteral("Stop bits"), m_stopBits);
  form->addRow(QStringLiteral("Flow control"), m_flow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  connect(m_baud, &QComboBox::currentIndexChanged, this, &PortSettingsDialog::updateCustomRate);
  updateCustomRate();
}

void PortSettingsDialog::updateCustomRate() {
  m_customBaud->setEnabled(m_baud->currentData().toInt() == 0);
}

PortSettings PortSettingsDialog::settings() const {
  PortSettings s = m_base;
  const QString name = m_port->currentText().trimmed();
  if (!name.isEmpty()) s.portName = name;
  s.baudRate = m_baud->currentData().toInt();
  if (s.baudRate == 0) s.customBaudRate = m_customBaud->value();
  s.dataBits = m_dataBits->currentData().toInt();
  s.parity = PortSettings::Parity(m_parity->currentIndex());
  s.stopBits = PortSettings::StopBits(m_stopBits->currentIndex());
  s.flowControl = PortSettings::FlowControl(m_flow->currentIndex());
  return s;
}

}  // namespace vmk
