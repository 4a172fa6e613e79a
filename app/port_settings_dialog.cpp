#include "app/port_settings_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "device/system_link.h"

namespace vmk {

namespace {
constexpr int kMaxTcpPort = 65535;
}

const QList<int>& PortSettingsDialog::baudRates() {
  static const QList<int> rates{1200,  2400,  4800,   9600,   14400,  19200, 38400,
                                56000, 57600, 115200, 128000, 256000, 0};
  return rates;
}

PortSettingsDialog::PortSettingsDialog(const PortSettings& settings, QWidget* parent)
    : QDialog(parent), m_base(settings) {
  setObjectName(QStringLiteral("PortSettingsDialog"));
  setWindowTitle(QStringLiteral("Port1"));

  m_serial = new QRadioButton(QStringLiteral("COM-порт"), this);
  m_serial->setObjectName(QStringLiteral("rbSerial"));
  m_network = new QRadioButton(QStringLiteral("Сеть (TCP)"), this);
  m_network->setObjectName(QStringLiteral("rbNetwork"));
  auto* linkGroup = new QButtonGroup(this);
  linkGroup->addButton(m_serial);
  linkGroup->addButton(m_network);
  (settings.link == PortSettings::Link::Tcp ? m_network : m_serial)->setChecked(true);

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

  m_host = new QLineEdit(settings.host, this);
  m_host->setObjectName(QStringLiteral("edHost"));
  m_host->setPlaceholderText(QStringLiteral("192.168.0.10"));
  m_tcpPort = new QSpinBox(this);
  m_tcpPort->setObjectName(QStringLiteral("seTcpPort"));
  m_tcpPort->setRange(1, kMaxTcpPort);
  m_tcpPort->setValue(std::clamp(settings.tcpPort, 1, kMaxTcpPort));
  m_tcpMode = new QComboBox(this);
  m_tcpMode->setObjectName(QStringLiteral("cbTcpMode"));
  // In the order of PortSettings::TcpMode.
  m_tcpMode->addItems({QStringLiteral("RTU поверх TCP (сервер COM-портов)"),
                       QStringLiteral("Modbus TCP (шлюз)")});
  m_tcpMode->setCurrentIndex(int(settings.tcpMode));

  // The rate is the line's: the COM port's, or over the network that of
  // the RS485 line behind the server, which times the replies.
  auto* lineForm = new QFormLayout;
  lineForm->addRow(QStringLiteral("Baud rate"), m_baud);
  lineForm->addRow(QStringLiteral("Custom baud rate"), m_customBaud);
  m_baud->setToolTip(QStringLiteral("Скорость линии: COM-порта или линии RS485 за сервером"));

  auto* serialBox = new QGroupBox(QStringLiteral("COM-порт"), this);
  auto* serialForm = new QFormLayout(serialBox);
  serialForm->addRow(QStringLiteral("Port"), m_port);
  serialForm->addRow(QStringLiteral("Data bits"), m_dataBits);
  serialForm->addRow(QStringLiteral("Parity"), m_parity);
  serialForm->addRow(QStringLiteral("Stop bits"), m_stopBits);
  serialForm->addRow(QStringLiteral("Flow control"), m_flow);

  auto* networkBox = new QGroupBox(QStringLiteral("Сеть (TCP)"), this);
  auto* networkForm = new QFormLayout(networkBox);
  networkForm->addRow(QStringLiteral("Узел"), m_host);
  networkForm->addRow(QStringLiteral("Порт TCP"), m_tcpPort);
  networkForm->addRow(QStringLiteral("Режим"), m_tcpMode);

  auto* links = new QHBoxLayout;
  links->addWidget(m_serial);
  links->addWidget(m_network);
  links->addStretch();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(links);
  layout->addLayout(lineForm);
  layout->addWidget(serialBox);
  layout->addWidget(networkBox);
  layout->addWidget(buttons);

  connect(m_baud, &QComboBox::currentIndexChanged, this, &PortSettingsDialog::updateFields);
  connect(m_network, &QRadioButton::toggled, this, &PortSettingsDialog::updateFields);
  updateFields();
}

void PortSettingsDialog::updateFields() {
  const bool network = m_network->isChecked();
  // Over the network the line rate is that of the RS485 line behind the
  // server (it times the replies); the other line settings are the
  // server's own.
  for (QWidget* w : {static_cast<QWidget*>(m_port), static_cast<QWidget*>(m_dataBits),
                     static_cast<QWidget*>(m_parity), static_cast<QWidget*>(m_stopBits),
                     static_cast<QWidget*>(m_flow)})
    w->setEnabled(!network);
  for (QWidget* w : {static_cast<QWidget*>(m_host), static_cast<QWidget*>(m_tcpPort),
                     static_cast<QWidget*>(m_tcpMode)})
    w->setEnabled(network);
  m_customBaud->setEnabled(m_baud->currentData().toInt() == 0);
}

void PortSettingsDialog::accept() {
  if (m_network->isChecked() && m_host->text().trimmed().isEmpty()) {
    m_host->setFocus();
    return;
  }
  QDialog::accept();
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
  s.link = m_network->isChecked() ? PortSettings::Link::Tcp : PortSettings::Link::Serial;
  const QString host = m_host->text().trimmed();
  if (!host.isEmpty()) s.host = host;
  s.tcpPort = m_tcpPort->value();
  s.tcpMode = PortSettings::TcpMode(m_tcpMode->currentIndex());
  return s;
}

}  // namespace vmk
