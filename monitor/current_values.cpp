#include "monitor/current_values.h"

#include <cmath>

#include "model/clock.h"
#include "model/label_texts.h"
#include "model/message_log.h"
#include "model/page_state.h"
#include "model/prompts.h"
#include "model/status_panels.h"
#include "model/time_formats.h"
#include "monitor/live_format.h"
#include "monitor/messages.h"

namespace vmk {

namespace {

constexpr int kMaxIntervalSeconds = 60;
constexpr int kImageAutoOn = 3;
constexpr int kImageAutoOff = 4;
const QString kActSetTimer = QStringLiteral("actSetTimerRefresh");

}  // namespace

void showTransformerRatios(LabelTexts& labels, const SetupFields& s) {
  labels.setText(QStringLiteral("lblKoefTT"),
                 QStringLiteral("Ктт = %1/%2").arg(s.CtPrimary).arg(s.CtSecondary));
  labels.setText(QStringLiteral("lblKoefN"),
                 QStringLiteral("КттЗНЗ (mA)= %1/%2").arg(s.EarthCtPrimary).arg(s.EarthCtSecondary));
}

QString stageName(int stage) {
  static const char* const kNames[] = {"МТЗ 1 ступень", "МТЗ 2 ступень", "МТЗ 3 ступень", "ЗНЗ"};
  return stage >= 0 && stage < LiveSnapshot::kStageCount ? QString::fromUtf8(kNames[stage]) : QString();
}

// ---- one refresh on the page ----------------------------------------------

CurrentValues::CurrentValues(LabelTexts& labels, LiveView& view, MessageLog& mmMess,
                             Prompts& prompts, const Clock& clock, const QLocale& locale)
    : m_labels(labels), m_view(view), m_mmMess(mmMess), m_prompts(prompts), m_clock(clock),
      m_locale(locale) {}

void CurrentValues::show(const LiveSnapshot& live) {
  for (int i = 0; i < LiveSnapshot::kStageCount; ++i)
    if (live.stages[i]) m_mmMess.append(stageName(i) + QStringLiteral(" Работа защиты. "));
  if (live.reclosing) m_mmMess.append(QStringLiteral("Работа АПВ. "));
  ShowMeasurements(live);
  m_mmMess.append(formatLongTime(m_clock.now()) + QStringLiteral(" Обновление информации"));
}

void CurrentValues::ShowMeasurements(const LiveSnapshot& live) {
  const bool primary = m_view.primaryValues();
  if (primary && !live.ratios) {
    if (!m_errorShown || !*m_errorShown) m_prompts.error(msg::kMeasurementError);
    if (m_errorShown) *m_errorShown = true;
  } else if (m_errorShown) {
    *m_errorShown = false;
  }

  const LiveCurrents& c = live.currents(primary);
  const auto amps = [&](const Current& i) { return formatCurrent(i.units, i.scale, m_locale); };
  m_labels.setText(QStringLiteral("lblCurrA"), QStringLiteral("Ia = ") + amps(c.ia));
  m_labels.setText(QStringLiteral("lblCurrB"), QStringLiteral("Ib = ") + amps(c.ib));
  m_labels.setText(QStringLiteral("lblCurrC"), QStringLiteral("Ic = ") + amps(c.ic));
  m_labels.setText(QStringLiteral("lblLastIM"),
                   QStringLiteral("Ток последней аварии МТЗ: ") + amps(c.lastMtz));
  m_labels.setText(QStringLiteral("lblLastIZ"),
                   QStringLiteral("Ток последней аварии ЗНЗ: ") + amps(c.lastZnz));
  m_labels.setText(QStringLiteral("lblCurrN"), QStringLiteral("Io = %1 mA").arg(c.io.units));
  refreshInput(live);
}

void CurrentValues::refreshInput(const LiveSnapshot& live) {
  for (int i = 1; i <= LiveView::kInputCount; ++i) m_view.setInputLit(i, live.inputs[i - 1]);
}

// ---- the auto-refresh switch ----------------------------------------------

AutoRefresh::AutoRefresh(IntervalTimer* timer, bool& autoRefreshOn, StatusPanels& status,
                         PageState& pages, Prompts& prompts, const QLocale& locale)
    : m_timer(timer), m_on(autoRefreshOn), m_status(status), m_pages(pages), m_prompts(prompts),
      m_locale(locale) {}

void AutoRefresh::actSetTimerRefreshExecute() {
  if (m_on) {
    switchOff();
    return;
  }
  const QString defaultText = QStringLiteral("5");
  const QString entry =
      m_prompts.input(msg::kIntervalCaption, msg::kIntervalPrompt, defaultText).value_or(defaultText);
  std::optional<double> seconds = parseDecimal(entry, m_locale);
  if (seconds && *seconds > kMaxIntervalSeconds) seconds = kMaxIntervalSeconds;
  // Whole milliseconds, half-way to the even neighbour; an interval that
  // comes to 0 ms would spin the timer and is refused like 0.
  const double ms = seconds ? std::nearbyint(*seconds * 1000.0) : 0.0;
  if (!seconds || ms < 1.0) {
    m_prompts.error(msg::kIntervalRefused.arg(entry));
    return;
  }

  if (m_timer) m_timer->start(int(ms));
  m_on = true;
  m_status.setText(panel::kNote, msg::kAutoRefreshEvery.arg(formatFixed(*seconds, 2, m_locale)));
  m_pages.setImage(kActSetTimer, kImageAutoOn);
  m_pages.setHint(kActSetTimer, msg::kAutoRefreshHintOn);
}

void AutoRefresh::switchOff() {
  if (m_timer) m_timer->stop();
  m_on = false;
  m_status.setText(panel::kNote, msg::kAutoRefreshOff);
  m_pages.setImage(kActSetTimer, kImageAutoOff);
  m_pages.setHint(kActSetTimer, msg::kAutoRefreshHintOff);
}

}  // namespace vmk
