#include "monitor/remote_control.h"

#include "device/codecs.h"
#include "device/device_client.h"
#include "device/session.h"
#include "extlib/registers.h"
#include "model/clock.h"
#include "model/message_log.h"
#include "model/prompts.h"
#include "model/time_formats.h"
#include "monitor/messages.h"

namespace vmk {

namespace {

constexpr int kRelayCount = 5;

// In the synchronisation line the times read "13.05.07", not "13:05:07".
QString dotted(QString text) { return text.replace(QLatin1Char(':'), QLatin1Char('.')); }

// The coil code of a relay, acknowledge or recorder command.
std::uint16_t codeOf(RemoteCommand command) {
  switch (command) {
    case RemoteCommand::Acknowledge: return reg::kCommandAcknowledge;
    case RemoteCommand::RecorderStart: return reg::kCommandRecorderStart;
    default: return std::uint16_t(reg::kCommandRelay1 + int(command) - int(RemoteCommand::Relay1));
  }
}

}  // namespace

std::optional<RemoteCommand> commandOfTag(int tag) {
  if (tag < int(RemoteCommand::Relay1) || tag > int(RemoteCommand::ClockSet)) return std::nullopt;
  return RemoteCommand(tag);
}

std::optional<RemoteCommand> relayCommand(int relay) {
  if (relay < 1 || relay > kRelayCount) return std::nullopt;
  return RemoteCommand(int(RemoteCommand::Relay1) + relay - 1);
}

QDateTime clockMoment(const LiveView& view, const Clock& clock) {
  if (!view.manualClock()) return clock.now();
  const QTime t = view.pickerTime();
  return QDateTime(view.pickerDate(), QTime(t.hour(), t.minute(), t.second()));
}

Outcome sendRemoteCommand(Session& session, RemoteCommand command, const QDateTime& moment) {
  PortBracket port(session);
  DeviceClient device(session);
  if (command == RemoteCommand::ClockSet) return device.setClock(moment);
  return device.sendCommand(codeOf(command));
}

QString commandLine(RemoteCommand command, const QDateTime& now, const QDateTime& moment) {
  const QString time = formatLongTime(now);
  switch (command) {
    case RemoteCommand::Acknowledge: return time + QStringLiteral(" Квитирование аварий");
    case RemoteCommand::RecorderStart: return time + QStringLiteral(" Удаленный пуск регистратора");
    case RemoteCommand::ClockSet:
      return QStringLiteral("%1 Синхронизация времени. Установлено %2")
          .arg(dotted(time), dotted(FormatDateTime(moment)));
    default:
      return QStringLiteral("%1 Команда управления реле %2")
          .arg(time)
          .arg(int(command) - int(RemoteCommand::Relay1) + 1);
  }
}

void showCommandOutcome(RemoteCommand command, const QDateTime& moment, Outcome outcome,
                        MessageLog& mmMess, Prompts& prompts, const Clock& clock) {
  if (outcome == Outcome::Done) {
    mmMess.append(commandLine(command, clock.now(), moment));
    return;
  }
  if (command == RemoteCommand::ClockSet) prompts.error(msg::kClockNotSet);
}

void rbAutoTimeClick(LiveView& view, const Clock& clock) {
  const QDateTime now = clock.now();
  view.setPickerDate(now.date());
  view.setPickerTime(now.time());
  view.setPickersVisible(view.manualClock());
}

}  // namespace vmk
