#include "device/port_actions.h"

#include <QFile>
#include <algorithm>

#include "device/program_dir.h"

namespace vmk {

namespace {

constexpr int kMenuPortSetup = 3;  // main menu "Настройка порта"

const QString kFront = QStringLiteral("actFrontPort");
const QString kRear = QStringLiteral("actReaPort");

// Settings loaded into an open port take effect by reopening it.
void reopenIfOpen(Workspace& ws) {
  SerialPort& port = ws.session.Port1;
  if (!port.isOpen()) return;
  port.close();
  port.open();
}

void loadInto(Workspace& ws, const QString& path) {
  if (loadPortSettings(path, ws.session.Port1.settings())) reopenIfOpen(ws);
}

void chooseConnector(Workspace& ws, bool front) {
  ws.pages.setChecked(kFront, front);
  ws.pages.setChecked(kRear, !front);
}

}  // namespace

QString frontIniPath(const Workspace& ws) {
  return writableSettingsPath(ws.ProgramDir, QStringLiteral("Front.ini"));
}

QString rearIniPath(const Workspace& ws) {
  return writableSettingsPath(ws.ProgramDir, QStringLiteral("Rear.ini"));
}

void actPort(Workspace& ws, int tag) {
  SerialPort& port = ws.session.Port1;
  switch (tag) {
    case kTagOpenPort:
      ws.session.openPort();
      break;
    case kTagClosePort:
      ws.session.closePort();
      break;
    case kTagSettingPort:
      if (ws.prompts.portSettings(port.settings())) reopenIfOpen(ws);
      break;
    case kTagLoadSetPort:
      loadInto(ws, rearIniPath(ws));
      break;
    case kTagSaveSetPort:
      if (!savePortSettings(rearIniPath(ws), port.settings()))
        ws.prompts.error(QStringLiteral("Не удалось сохранить настройки порта в файл %1").arg(rearIniPath(ws)));
      break;
    case kTagFrontPort:
      chooseConnector(ws, true);
      loadInto(ws, frontIniPath(ws));
      ws.status.setText(1, QStringLiteral("Связь через передний порт"));
      ws.session.DeviceAddress = 1;  // one device at the front connector
      break;
    case kTagReaPort:
      chooseConnector(ws, false);
      loadInto(ws, rearIniPath(ws));
      ws.status.setText(1, QStringLiteral("Связь через задний порт"));
      break;
    default:
      break;
  }
  ws.pages.setMenuEnabled(kMenuPortSetup, !ws.pages.action(kFront).checked);
}

void Port1AfterOpen(Workspace& ws) {
  ws.status.setText(0, QStringLiteral("Порт %1 открыт").arg(ws.session.Port1.settings().portName));
  ws.pages.setImage(QStringLiteral("ActOCPort"), kImagePortOpen);
}

void Port1BeforeClose(Workspace& ws) {
  ws.status.setText(0, QStringLiteral("Порт %1 закрыт").arg(ws.session.Port1.settings().portName));
  ws.pages.setImage(QStringLiteral("ActOCPort"), kImagePortClosed);
}

QString lineErrorList(int errors) {
  static const char* const names[8] = {"ceFrame, ", "ceRxParity, ", "ceOverrun, ", "ceBreak, ",
                                       "ceIO, ",    "ceMode, ",     "ceRxOver, ",  "ceTxFull"};
  QString list;
  for (int bit = 0; bit < 8; ++bit)
    if (errors & (1 << bit)) list += QLatin1String(names[bit]);
  return list;
}

void Port1Error(Workspace& ws, int errors) {
  ws.prompts.error(QStringLiteral("Ошибка: ") + lineErrorList(errors));
}

void ActOCPortExecute(Workspace& ws) {
  SerialPort& port = ws.session.Port1;
  const QString name = QStringLiteral("ActOCPort");
  if (port.isOpen()) {
    port.close();
    ws.pages.setImage(name, kImagePortClosed);
    ws.pages.setHint(name, QStringLiteral("Порт закрыт"));
  } else if (port.open()) {
    ws.pages.setImage(name, kImagePortOpen);
    ws.pages.setHint(name, QStringLiteral("Порт открыт"));
  }
  ws.pages.setEnabled(QStringLiteral("actPolling"), port.isOpen());
}

void ActSetTOExecute(Workspace& ws) {
  NumberDialog dialog;
  dialog.caption = QStringLiteral("Ввод значения таймаута");
  dialog.label = QStringLiteral("Таймаут [1..255]:");
  dialog.text = QString::number(ws.session.modbus.GetTry());
  dialog.maxLength = 5;
  const std::optional<QString> entry = ws.prompts.number(dialog);
  if (!entry || entry->trimmed().isEmpty()) return;
  bool ok = false;
  const qlonglong value = entry->trimmed().toLongLong(&ok);
  if (!ok) return;  // the dialog takes digits only; anything else changes nothing
  ws.session.modbus.SetTry(int(std::clamp<qlonglong>(value, 1, 255)));
}

bool portStartupCheck(Workspace& ws) {
  SerialPort& port = ws.session.Port1;
  const QString front = frontIniPath(ws);
  // A file not written yet is no failure: the defaults stand.
  const bool loaded = !QFile::exists(front) || loadPortSettings(front, port.settings());
  const bool opened = loaded && port.open();
  if (!opened) {
    ws.prompts.error(QStringLiteral("Ошибка открытия порта"));
    ws.prompts.portSettings(port.settings());
    if (!savePortSettings(front, port.settings()))
      ws.prompts.error(QStringLiteral("Не удалось сохранить настройки порта в файл %1").arg(front));
  }
  chooseConnector(ws, true);
  ws.pages.setMenuEnabled(kMenuPortSetup, false);
  ws.session.closePort();
  return opened;
}

bool portShutdown(Workspace& ws) {
  ws.session.closePort();
  if (!ws.session.Port1.isOpen()) return true;
  ws.prompts.error(QStringLiteral("Ошибка закрытия порта"));
  return false;
}

PortBinder::PortBinder(Workspace& ws, QObject* parent) : QObject(parent), m_ws(ws) {
  SerialPort* port = &ws.session.Port1;
  connect(port, &SerialPort::afterOpen, this, [this] { Port1AfterOpen(m_ws); });
  connect(port, &SerialPort::beforeClose, this, [this] { Port1BeforeClose(m_ws); });
  connect(port, &SerialPort::lineErrors, this, [this](int errors) { Port1Error(m_ws, errors); },
          Qt::QueuedConnection);
}

}  // namespace vmk
