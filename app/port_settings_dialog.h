#pragma once
// The port settings dialog: the link, "COM-порт" or "Сеть (TCP)", and the
// line's baud rate with "Custom" (over the network that of the RS485 line
// behind the server); for the serial port its name (the system's ports, or
// any typed name such as a pseudo-terminal path), data bits, parity, stop
// bits and flow control; over the network the host, the TCP port and the
// mode (RTU over TCP to a serial device server, or Modbus TCP to a
// gateway). The fields of the other link are kept but disabled.

#include <QDialog>

#include "device/port_settings.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace vmk {

class PortSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PortSettingsDialog(const PortSettings& settings, QWidget* parent = nullptr);

  // The settings as the dialog shows them now.
  PortSettings settings() const;

  // The rates of the "BaudRate" key; 0 stands for "Custom".
  static const QList<int>& baudRates();

  // "OK" with the network chosen and no host: the host field takes the
  // focus and the dialog stays.
  void accept() override;

 private:
  void updateFields();

  PortSettings m_base;
  QRadioButton* m_serial;
  QRadioButton* m_network;
  QComboBox* m_port;
  QComboBox* m_baud;
  QSpinBox* m_customBaud;
  QComboBox* m_dataBits;
  QComboBox* m_parity;
  QComboBox* m_stopBits;
  QComboBox* m_flow;
  QLineEdit* m_host;
  QSpinBox* m_tcpPort;
  QComboBox* m_tcpMode;
};

}  // namespace vmk
