#include "device/session.h"

#include "extlib/transport_error.h"

namespace vmk {

Session::Session(SerialPort::LinkFactory factory) : Port1(std::move(factory)) {}

void Session::openPort() {
  if (Port1.isOpen()) return;
  if (!Port1.open())
    throw Error(QStringLiteral("Ошибка открытия порта %1: %2")
                    .arg(Port1.settings().linkName(), Port1.errorString()));
}

void Session::closePort() { Port1.close(); }

}  // namespace vmk
