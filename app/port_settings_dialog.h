#pragma once
// The port settings dialog: port name (the system's ports, or any typed
// name such as a pseudo-terminal path), baud rate with "Custom", data bits,
// parity, stop bits and flow control.

#include <QDialog>

#include "device/port_settings.h"

class QComboBox;
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

 private:
  void updateCustomRate();

  PortSettings m_base;
  QComboBox* m_port;
  QComboBox* m_baud;
  QSpinBox* m_customBaud;
  QComboBox* m_dataBits;
  QComboBox* m_parity;
  QComboBox* m_stopBits;
  QComboBox* m_flow;
};

}  // namespace vmk
