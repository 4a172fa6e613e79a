#pragma once
// The monitor's words for a frame: the function by name and a short
// decoding of what the request asks or the reply brings
// ("чтение 9 регистров с 0", "блок 17 осциллограммы 3").

#include <QString>
#include <cstdint>

#include "extlib/frame_observer.h"

namespace vmk::traffic {

// "чтение регистров", "блок осциллограммы", ...; "функция 0x2B" for a code
// the devices do not speak.
QString functionName(std::uint8_t function);

// What a request asks; the bytes are untrusted (a short frame gets what
// can be read of it).
QString decodeRequest(const QByteArray& frame);

// What a reply brings, or why it was not taken ("нет ответа",
// "ошибка CRC", "исключение 2").
QString decodeReply(const WireFrame& reply);

// "верна", "ошибка" or "" (nothing to check) for the frame's CRC.
QString crcVerdict(const WireFrame& frame);

}  // namespace vmk::traffic
