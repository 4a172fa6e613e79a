#pragma once
// The service menu "Тех.меню": the service requests (function 0x18) with
// their access code, the factory-number change, clearing the statistics,
// erasing the oscillogram and event journals, and the calibration mode
// around the calibration window. The number dialog's key rule too.
//
// Every request carries an access code made from the nonce of the last
// service reply, the factory number and the first two password letters;
// each reply hands out the next nonce, carried out or refused.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "device/outcome.h"

namespace vmk {

class Clock;
class MessageLog;
class Prompts;
class Session;

// What the service operations work with: the session (its record holds the
// nonce, the factory number and the device password), the prompts, the
// memo mmMess and the PC clock for its lines.
struct ServiceContext {
  Session& session;
  Prompts& prompts;
  MessageLog& mmMess;
  const Clock& clock;
};

// In 16-bit wrap-around arithmetic: (nonce XOR serial) OR (first letter x
// 256 + second letter), plus the protocol's constant. Letters 3 and 4 do
// not take part; a missing letter counts 0.
std::uint16_t serviceAccessCode(std::uint16_t nonce, std::uint16_t serial, const QString& password);

// `SendServiceCommand`: one service request on the open port at the
// session's DeviceAddress, its access code from the session's record and
// `password`. Every reply that carries a nonce replaces ServiceNonce.
// Done when the device carried it out; DeviceRefused when it refused
// (frame byte 4 = 255) or answered with an exception; NoAnswer / BadReply
// otherwise. A port failure stays a TransportError.
Outcome SendServiceCommand(Session& session, const QString& password, std::uint8_t sub,
                           std::uint16_t argument);

// The three erasing requests of the menu.
enum class ServiceErase {
  ClearStats = 1,   // N10 "Обнуление статистики"
  EraseOsc = 2,     // N11 "Стирание осцилограмм"
  EraseEvents = 3,  // N12 "Стирание событий"
};

// N10Click, N11Click, N12Click: the warning box, the strict password
// prompt (Cancel or an empty entry: Cancelled with nothing shown; a wrong
// entry: "Ошибка ввода пароля!", WrongPassword; no port opened in either
// case), then the request inside the port bracket; a carried-out request
// adds its line to mmMess. A refusal or silence shows nothing and gives
// its outcome.
Outcome runServiceErase(const ServiceContext& c, ServiceErase what);

// The factory number typed into the number dialog: at most five digits, a
// number above 65535 taken as 65535; nothing for an empty or non-digit text.
std::optional<std::uint16_t> serialFromEntry(const QString& text);
// The number dialog accepts only the digits 0..9 and backspace; any other
// key is dropped with the system beep.
bool serialKeyAllowed(char16_t key);

// N9Click: asks for the new number in the number dialog ("Ввод серийного
// номера", "Серийный номер:", empty field); Cancel or an empty entry:
// Cancelled, nothing else happens. Then as changeSerialNumber.
Outcome N9Click(const ServiceContext& c);
// From the warning on: warning, password, port, request with the new
// number. SerialNumber takes the new number as soon as the device has
// answered, carried out or not, so that later access codes use it; a
// carried-out request adds "Изменён серийный номер устройства.".
Outcome changeSerialNumber(const ServiceContext& c, std::uint16_t serial);

// N13Click: the strict password prompt, then the request that puts the
// device into calibration mode. When it is carried out: "Начало
// калибровки.", the port is closed, `calibrationWindow` runs (it opens and
// closes the port itself), the port is opened again and calibration mode is
// left with a new access code ("Конец калибровки." when carried out); the
// port is closed. When it is not carried out the port is closed and the
// window does not run. Should the window throw, calibration mode is still
// left before the error goes on. Done when both requests were carried out.
Outcome N13Click(const ServiceContext& c, const std::function<void()>& calibrationWindow);

}  // namespace vmk
