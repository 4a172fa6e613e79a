#include "service/service_menu.h"

#include "device/device_client.h"
#include "device/session.h"
#include "extlib/registers.h"
#include "model/clock.h"
#include "model/message_log.h"
#include "model/messages.h"
#include "model/prompts.h"
#include "model/time_formats.h"
#include "service/messages.h"
#include "service/password_check.h"

namespace vmk {

namespace {

void logLine(const ServiceContext& c, const QString& text) {
  c.mmMess.append(formatLongTime(c.clock.now()) + QLatin1Char(' ') + text);
}

// The warning and the strict password prompt; the typed password or why
// the operation ends.
Result<QString> warnAndAsk(const ServiceContext& c, const QString& warning) {
  c.prompts.error(warning);
  return CheckPassword(c.prompts, c.session.vmk.setup.DevicePassword, PasswordForm::Strict);
}

}  // namespace

std::uint16_t serviceAccessCode(std::uint16_t nonce, std::uint16_t serial, const QString& password) {
  const auto letter = [&password](int i) -> std::uint16_t {
    return i < password.size() ? std::uint16_t(password.at(i).unicode() & 0xFF) : 0;
  };
  const std::uint16_t p = std::uint16_t(letter(0) << 8 | letter(1));
  return std::uint16_t(((nonce ^ serial) | p) + reg::kAccessSalt);
}

Outcome SendServiceCommand(Session& session, const QString& password, std::uint8_t sub,
                           std::uint16_t argument) {
  const std::uint16_t code =
      serviceAccessCode(session.vmk.ServiceNonce, session.vmk.SerialNumber, password);
  DeviceClient device(session);
  const Result<ServiceReply> reply = device.service(sub, code, argument);
  if (!reply) return reply.outcome;
  session.vmk.ServiceNonce = reply.value.nonce;
  return reply.value.carriedOut ? Outcome::Done : Outcome::DeviceRefused;
}

Outcome runServiceErase(const ServiceContext& c, ServiceErase what) {
  QString warning, done;
  switch (what) {
    case ServiceErase::ClearStats: warning = svc::kWarnClearStats; done = svc::kStatsCleared; break;
    case ServiceErase::EraseOsc: warning = svc::kWarnEraseOsc; done = svc::kOscErased; break;
    case ServiceErase::EraseEvents: warning = svc::kWarnEraseEvents; done = svc::kEventsErased; break;
  }
  const Result<QString> password = warnAndAsk(c, warning);
  if (!password) return password.outcome;
  PortBracket port(c.session);
  const Outcome o = SendServiceCommand(c.session, password.value, std::uint8_t(what), 0);
  if (o == Outcome::Done) logLine(c, done);
  return o;
}

std::optional<std::uint16_t> serialFromEntry(const QString& text) {
  if (text.isEmpty() || text.size() > 5) return std::nullopt;
  for (QChar ch : text)
    if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return std::nullopt;
  const int n = text.toInt();
  return std::uint16_t(n > 0xFFFF ? 0xFFFF : n);
}

bool serialKeyAllowed(char16_t key) { return (key >= u'0' && key <= u'9') || key == 8; }

Outcome N9Click(const ServiceContext& c) {
  const std::optional<QString> entry =
      c.prompts.number(NumberDialog{svc::kSerialCaption, svc::kSerialLabel, QString(), 5});
  if (!entry || entry->isEmpty()) return Outcome::Cancelled;
  const std::optional<std::uint16_t> serial = serialFromEntry(*entry);
  // The dialog takes digits only; anything else is not a number to send.
  if (!serial) return Outcome::InputRefused;
  return changeSerialNumber(c, *serial);
}

Outcome changeSerialNumber(const ServiceContext& c, std::uint16_t serial) {
  const Result<QString> password = warnAndAsk(c, svc::kWarnSerial);
  if (!password) return password.outcome;
  PortBracket port(c.session);
  const Outcome o = SendServiceCommand(c.session, password.value, reg::kServiceSerial, serial);
  // Answered, carried out or refused: the number the next code is made with.
  if (o == Outcome::Done || o == Outcome::DeviceRefused) c.session.vmk.SerialNumber = serial;
  if (o == Outcome::Done) logLine(c, svc::kSerialChanged);
  return o;
}

Outcome N13Click(const ServiceContext& c, const std::function<void()>& calibrationWindow) {
  const Result<QString> password =
      CheckPassword(c.prompts, c.session.vmk.setup.DevicePassword, PasswordForm::Strict);
  if (!password) return password.outcome;
  PortBracket port(c.session);
  const Outcome entered = SendServiceCommand(c.session, password.value, reg::kServiceCalibration,
                                             reg::kCalibrationEnter);
  if (entered != Outcome::Done) return entered;
  logLine(c, svc::kCalibrationBegin);

  const auto leave = [&] {
    c.session.openPort();
    const Outcome left = SendServiceCommand(c.session, password.value, reg::kServiceCalibration,
                                            reg::kCalibrationLeave);
    if (left == Outcome::Done) logLine(c, svc::kCalibrationEnd);
    // Unlike the other service requests, a failure here is not harmless:
    // the relay stays in calibration mode, measuring the rig, so say so.
    else c.prompts.error(msg::kLinkError);
    return left;
  };
  c.session.closePort();
  try {
    if (calibrationWindow) calibrationWindow();
  } catch (...) {
    // A device left in calibration mode measures the rig, not the feeder.
    try {
      leave();
    } catch (...) {
    }
    throw;
  }
  return leave();
}

}  // namespace vmk
