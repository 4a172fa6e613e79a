#pragma once
// Connecting to one device of the list `lbRelay`: its identity and setup
// blocks into the global record, the report in `Memo1`, `DeviceAddress`,
// status panel 2, the device pages and the first service nonce.

#include <QString>
#include <cstdint>

namespace vmk {

class MessageLog;
class Workspace;

// `actGetStartInfoExecute`: connects to the device of the selected list line
// (line i = address i + 1). With no line selected only the memo and status
// panel 2 are emptied; a device that does not answer the status request is
// left silently. A short reply to either read shows "Ошибка связи с
// устройством!". Until the new identity has been read, a failure gives
// `DeviceAddress` back its previous value, so that the address stays with
// the record and the pages still shown. Other errors (the port cannot be opened, a variant
// character that is not a digit, a port failure) propagate to the caller;
// the port is closed on every way out. The caller holds the session's busy
// flag (the data module does).
void actGetStartInfoExecute(Workspace& ws);

// `lbRelayDblClick`: the same connection, but an error raised by it hides
// the device pages again and shows "Устройство не подключено".
void lbRelayDblClick(Workspace& ws);

// `AppendInterfaceParams`: the four interface lines of the connection report
// for register 65: the speed of the highest of bits 1..4 that is set (an
// empty line when none is), then parity, data bits and stop bits.
void AppendInterfaceParams(MessageLog& memo, std::uint16_t interfaceWord);

// "Скорость ... бит/с" for bits 1..4 of the interface word, "" for none.
QString InterfaceSpeedLine(std::uint16_t interfaceWord);

}  // namespace vmk
