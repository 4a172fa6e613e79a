#include "monitor/remote_control.h"

#include "device/codecs.h"
#include "service/password_check.h"
#include "shell/app_info.h"

namespace vmk {

namespace {

QString timeNow(const Clock& clock) { return formatLongTime(clock.now()); }

// In the synchronisation line the times read "13.05.07", not "13:05:07".
QString dotted(QString text) { return text.replace(QLatin1Char(':'), QLatin1Char('.')); }

}  // namespace

RemoteControl::RemoteControl(Workspace& ws, LiveView& view) : m_ws(ws), m_view(view) {}

void RemoteControl::SetCommand(int tag) {
  if (tag < 1 || tag > kClockTag) return;
  if (!CheckPassword(m_ws.prompts, m_ws.session.vmk.setup.DevicePassword, PasswordForm::Command))
    return;
  PortBracket port(m_ws.session);
  if (tag == kClockTag)
    setClock();
  else
    sendCommand(tag);
}

void RemoteControl::sendCommand(int tag) {
  Session& s = m_ws.session;
  ReplyFrame reply;
  s.modbus.SendCommand(s.link(), s.DeviceAddress, std::uint16_t(kFirstCode + tag - 1), reply);
  // The device echoes the command: address, function 5, code high byte
  // 0x30, and 0xFF as the high byte of the value.
  const bool confirmed = reply.frameByte(0) == s.DeviceAddress && reply.frameByte(1) == 5 &&
                         reply.frameByte(2) == 0x30 && reply.frameByte(4) == 0xFF;
  if (!confirmed) return;
  const QString time = timeNow(m_ws.clock);
  if (tag <= 5)
    m_ws.mmMess.append(QStringLiteral("%1 Команда управления реле %2").arg(time).arg(tag));
  else if (tag == 6)
    m_ws.mmMess.append(time + QStringLiteral(" Квитирование аварий"));
  else
    m_ws.mmMess.append(time + QStringLiteral(" Удаленный пуск регистратора"));
}

void RemoteControl::setClock() {
  Session& s = m_ws.session;
  QDateTime moment = m_ws.clock.now();
  if (m_view.manualClock()) {
    const QTime t = m_view.pickerTime();
    moment = QDateTime(m_view.pickerDate(), QTime(t.hour(), t.minute(), t.second()));
  }
  if (!moment.isValid() || !s.modbus.SetRealDateTime(s.link(), s.DeviceAddress, moment)) {
    m_ws.prompts.error(QStringLiteral("Ошибка установки даты и времени"));
    return;
  }
  m_ws.mmMess.append(QStringLiteral("%1 Синхронизация времени. Установлено %2")
                         .arg(dotted(timeNow(m_ws.clock)), dotted(FormatDateTime(moment))));
}

void RemoteControl::rbAutoTimeClick() {
  const QDateTime now = m_ws.clock.now();
  m_view.setPickerDate(now.date());
  m_view.setPickerTime(now.time());
  m_view.setPickersVisible(m_view.manualClock());
}

}  // namespace vmk
