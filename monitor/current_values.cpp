#include "monitor/current_values.h"

#include <cmath>

#include "device/codecs.h"
#include "device/polling.h"
#include "extlib/transport_error.h"
#include "monitor/live_format.h"
#include "shell/app_info.h"
#include "shell/page_rules.h"

namespace vmk {

namespace {

const char* const kStageNames[] = {"МТЗ 1 ступень", "МТЗ 2 ступень", "МТЗ 3 ступень", "ЗНЗ"};

constexpr int kMaxIntervalSeconds = 60;
constexpr int kImageAutoOn = 3;
constexpr int kImageAutoOff = 4;
const QString kActSetTimer = QStringLiteral("actSetTimerRefresh");

}  // namespace

CurrentValues::CurrentValues(Workspace& ws, LiveView& view, IntervalTimer& timer,
                             const QLocale& locale)
    : m_ws(ws), m_view(view), m_timer(timer), m_locale(locale) {
  m_ws.pageChangeHooks.push_back([this](Workspace&, int) { resetAutoRefresh(); });
}

void CurrentValues::actrefreshExecute() {
  if (m_ws.pages.activePage() != kPageDinamic) return;
  Session& s = m_ws.session;
  PortBracket port(s);
  ReplyFrame reply;
  s.modbus.SetQuery(s.link(), s.DeviceAddress, 3, kLiveFirst, kLiveCount, reply);
  // Anything but a whole live block (silence, a cut-off or a foreign
  // frame) is a failed exchange: decoding a part would show stale or zero
  // currents as if they were measured.
  if (reply.length() != expectedReplyLength(kLiveCount))
    throw Error(QStringLiteral("Ошибка связи с устройством!"));

  m_regs.inputWord = GetRegWord(reply, 0);
  for (int i = 0; i < 4; ++i)
    if (DecodeStageFlag(GetRegWord(reply, 1 + i)) == 1)
      m_ws.mmMess.append(QString::fromUtf8(kStageNames[i]) + QStringLiteral(" Работа защиты. "));
  if (DecodeApvFlag(GetRegWord(reply, 5)) == 1)
    m_ws.mmMess.append(QStringLiteral("Работа АПВ. "));
  for (int k = 0; k < 6; ++k) m_regs.currents[k] = GetRegWord(reply, 16 + k);

  ShowMeasurements();
  m_ws.mmMess.append(formatLongTime(m_ws.clock.now()) + QStringLiteral(" Обновление информации"));
}

void CurrentValues::ShowMeasurements() {
  std::int64_t phase = 1;
  std::int64_t earth = 1;
  if (m_view.primaryValues()) {
    const SetupFields& setup = m_ws.session.vmk.setup;
    const std::optional<int> p = PhaseRatio(setup);
    const std::optional<int> e = EarthRatio(setup);
    if (p && e) {
      phase = *p;
      earth = *e;
    } else {
      m_ws.prompts.error(QStringLiteral("Ошибка чтения измерения"));
      phase = 0;
      earth = 0;
    }
  }

  // Phase registers count hundredths of an ampere, earth registers mA.
  const auto& c = m_regs.currents;
  const auto amps = [&](std::uint16_t reg) { return formatCurrent(reg * phase, 2, m_locale); };
  LabelTexts& l = m_ws.labels;
  l.setText(QStringLiteral("lblCurrA"), QStringLiteral("Ia = ") + amps(c[0]));
  l.setText(QStringLiteral("lblCurrB"), QStringLiteral("Ib = ") + amps(c[1]));
  l.setText(QStringLiteral("lblCurrC"), QStringLiteral("Ic = ") + amps(c[2]));
  l.setText(QStringLiteral("lblLastIM"), QStringLiteral("Ток последней аварии МТЗ: ") + amps(c[4]));
  l.setText(QStringLiteral("lblLastIZ"), QStringLiteral("Ток последней аварии ЗНЗ: ") +
                                             formatCurrent(c[5] * earth, 3, m_locale));
  l.setText(QStringLiteral("lblCurrN"), QStringLiteral("Io = %1 mA").arg(c[3] * earth));
  refreshInput();
}

void CurrentValues::refreshInput() {
  for (int i = 1; i <= LiveView::kInputCount; ++i)
    m_view.setInputLit(i, GetBit(m_regs.inputWord, i - 1) == 1);
}

void CurrentValues::actSetTimerRefreshExecute() {
  if (m_ws.AutoRefreshOn) {
    switchOff();
    return;
  }
  const QString defaultText = QStringLiteral("5");
  const QString entry = m_ws.prompts
                            .input(QStringLiteral("Интервал обновления"),
                                   QStringLiteral("Введите время (1..60) с"), defaultText)
                            .value_or(defaultText);
  std::optional<double> seconds = parseDecimal(entry, m_locale);
  if (seconds && *seconds > kMaxIntervalSeconds) seconds = kMaxIntervalSeconds;
  // Whole milliseconds, half-way to the even neighbour; an interval that
  // comes to 0 ms would spin the timer and is refused like 0.
  const double ms = seconds ? std::nearbyint(*seconds * 1000.0) : 0.0;
  if (!seconds || ms < 1.0) {
    m_ws.prompts.error(QStringLiteral("Неверный интервал обновления: \"%1\".\r"
                                      "Введите время в секундах больше 0 (не более 60).")
                           .arg(entry));
    return;
  }

  m_timer.start(int(ms));
  m_ws.AutoRefreshOn = true;
  m_ws.status.setText(3, QStringLiteral("Автообновление %1 с").arg(formatFixed(*seconds, 2, m_locale)));
  m_ws.pages.setImage(kActSetTimer, kImageAutoOn);
  m_ws.pages.setHint(kActSetTimer, QStringLiteral("Отключить автоматическое обновление"));
}

void CurrentValues::switchOff() {
  m_timer.stop();
  m_ws.AutoRefreshOn = false;
  m_ws.status.setText(3, QStringLiteral("Автообновления нет"));
  m_ws.pages.setImage(kActSetTimer, kImageAutoOff);
  m_ws.pages.setHint(kActSetTimer, QStringLiteral("Включить автоматическое обновление"));
}

void CurrentValues::resetAutoRefresh() { switchOff(); }

void CurrentValues::RefreshTimerTimer() {
  if (m_ws.pages.activePage() != kPageDinamic || !m_ws.AutoRefreshOn) return;
  try {
    actrefreshExecute();
    return;
  } catch (const Error&) {
  }

  // Off first, so that no tick comes while the box is open.
  switchOff();
  m_ws.prompts.box(MessageBox{QStringLiteral("Ошибка"), BoxIcon::Error,
                              QStringLiteral("Неудается получить данные.\r"
                                             "Возможно пропала связь с устройством."),
                              {Button::Ok}});
  pgcMainChange(m_ws, kPagePolling);
  actPollingExecute(m_ws);
}

}  // namespace vmk
