#pragma once
// Page 1's live values on the page: the label texts, the input lamps and
// the memo lines of one refresh, made from its snapshot; and the
// auto-refresh switch of `RefreshTimer`. Both write the models they are
// given; the refresh itself is readLiveValues (monitor/live_values.h).

#include <QLocale>

#include "monitor/interval_timer.h"
#include "monitor/live_values.h"
#include "monitor/live_view.h"

namespace vmk {

class Clock;
class LabelTexts;
class MessageLog;
class PageState;
class Prompts;
class StatusPanels;

// The transformer labels of page 1: lblKoefTT "Ктт = 200/5" and lblKoefN
// "КттЗНЗ (mA)= 30/10", from the values read at connection.
void showTransformerRatios(LabelTexts& labels, const SetupFields& setup);

// The name of protection stage 0..3: "МТЗ 1 ступень" ... "ЗНЗ".
QString stageName(int stage);

class CurrentValues {
 public:
  // The locale gives the decimal separator of every number shown.
  CurrentValues(LabelTexts& labels, LiveView& view, MessageLog& mmMess, Prompts& prompts,
                const Clock& clock, const QLocale& locale);

  // The ticks of the auto-refresh: the measurement error is shown while
  // `shown` is false and sets it; a refresh with valid ratios (or secondary
  // values) clears it.
  void showMeasurementErrorOnce(bool& shown) { m_errorShown = &shown; }

  // What a refresh shows, in this order: a line for each stage flag that
  // is set (МТЗ 1..3, ЗНЗ) and for the АПВ flag, the currents and lamps
  // (ShowMeasurements), then "<PC time> Обновление информации".
  void show(const LiveSnapshot& live);

  // The currents of the kind the view chooses into the labels, then the
  // lamps. Primary values without ratios (a transformer secondary of 0)
  // show the error "Ошибка чтения измерения" and zeros.
  void ShowMeasurements(const LiveSnapshot& live);
  // Lamp i is lit exactly when input i is on.
  void refreshInput(const LiveSnapshot& live);

 private:
  LabelTexts& m_labels;
  LiveView& m_view;
  MessageLog& m_mmMess;
  Prompts& m_prompts;
  const Clock& m_clock;
  QLocale m_locale;
  bool* m_errorShown = nullptr;
};

// "Авто опрос": `RefreshTimer` with the flag AutoRefreshOn, status panel 3
// and the action's image and hint that show its state. `timer` may be
// nullptr (a run without a timer): the state is then shown all the same.
class AutoRefresh {
 public:
  AutoRefresh(IntervalTimer* timer, bool& autoRefreshOn, StatusPanels& status, PageState& pages,
              Prompts& prompts, const QLocale& locale);

  // Asks for the interval and starts the auto-refresh, or switches it off
  // when it runs. An entry that is not a number above 0 is refused and
  // starts nothing; an entry above 60 s runs at 60 s.
  void actSetTimerRefreshExecute();

  // Stops the timer and shows the auto-refresh as off. Also the page-change
  // step, so that what the status bar shows is what runs.
  void switchOff();

 private:
  IntervalTimer* m_timer;
  bool& m_on;
  StatusPanels& m_status;
  PageState& m_pages;
  Prompts& m_prompts;
  QLocale m_locale;
};

}  // namespace vmk
