#pragma once
// The port commands of the command table and the handlers of `Port1`'s
// events, written against the ShellContext: status texts, action states and
// prompts, never widgets. What is pure (a connector's settings file) is in
// device/connector.h.

#include <QObject>
#include <QString>

#include "shell/shell_context.h"

namespace vmk {

// Tags of the shared handler `actPort`.
enum PortTag : int {
  kTagOpenPort = 1,     // actOpenPort "Открыть"
  kTagClosePort = 2,    // actClosePort "Закрыть"
  kTagSettingPort = 3,  // actSettingPort "Настроить"
  kTagLoadSetPort = 4,  // actLoadSetPort "Загрузить" (Rear.ini)
  kTagSaveSetPort = 5,  // actSaveSetPort "Сохранить" (Rear.ini)
  kTagFrontPort = 6,    // actFrontPort "Переднее (RS232)"
  kTagReaPort = 7,      // actReaPort "Заднее (RS485)"
};

// Image indexes of ActOCPort.
constexpr int kImagePortOpen = 7;
constexpr int kImagePortClosed = 8;

// `actPort`: runs the command of the tag, then enables the menu
// "Настройка порта" exactly when the front connector is not chosen. Opening
// (tag 1) throws Error when the port cannot be opened.
void actPort(ShellContext& ws, int tag);

// Status panel 1: the chosen connector ("Связь через задний порт"), over
// the network the connector and the server's host and port ("Задний порт:
// 10.0.0.5:4001").
void showConnector(ShellContext& ws);

// `Port1AfterOpen`, `Port1BeforeClose`: status panel 0 (the port's name,
// tcp://HOST:PORT over the network) and ActOCPort's image.
void Port1AfterOpen(ShellContext& ws);
void Port1BeforeClose(ShellContext& ws);
// "ceFrame, ceRxParity, ..., ceTxFull" for bits 0..7 of a line-error set.
QString lineErrorList(int errors);
// `Port1Error`: an error box "Ошибка: " + the list, while the port is open
// and its line has not failed (then the operation that meets the failure
// says it).
void Port1Error(ShellContext& ws, int errors);

// `ActOCPortExecute`: closes an open port or opens a closed one (a failure
// to open is ignored), sets ActOCPort's image and hint, and enables
// actPolling exactly when the port is open.
void ActOCPortExecute(ShellContext& ws);

// `ActSetTOExecute`: asks for the time-out (1..255) with the number dialog
// and sets it; an empty field or a cancelled dialog changes nothing.
void ActSetTOExecute(ShellContext& ws);

// Start-up port test: loads Front.ini and opens the port; when that fails,
// "Ошибка открытия порта", the port settings dialog, and the settings are
// stored into Front.ini. The front connector is chosen and the port is
// closed afterwards. Returns whether the port could be opened.
bool portStartupCheck(ShellContext& ws);

// `DataModuleDestroy`'s part: closes the port if it is open. False after
// the box "Ошибка закрытия порта" when it would not close; the application
// then ends.
bool portShutdown(ShellContext& ws);

// Connects Port1's signals to the handlers above for the lifetime of the
// binder. Line errors arrive from the driver in the middle of an exchange;
// their box is shown once control is back in the event loop.
class PortBinder : public QObject {
  Q_OBJECT
 public:
  explicit PortBinder(ShellContext& ws, QObject* parent = nullptr);

 private:
  ShellContext& m_ws;
  bool m_boxOpen = false;
};

}  // namespace vmk
