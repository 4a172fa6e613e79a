#pragma once
// Page 1, "Текущие значения": what it keeps from one command to the next,
// held by the workspace (Workspace::monitor) so that every handler of the
// page reaches it: its memo and labels, the lamps, value kind and clock source
// (LiveView), the auto-refresh switch and its timer, the last refresh and
// the locale of the numbers shown and typed.
//
// The face gives the timer: the window its `RefreshTimer` seen through a
// QtIntervalTimer, tests a hand-driven fake; vmkctl none (nullptr), as it
// never refreshes on a timer.

#include <QLocale>
#include <optional>

#include "model/label_texts.h"
#include "model/message_log.h"
#include "monitor/interval_timer.h"
#include "monitor/live_values.h"
#include "monitor/live_view.h"

namespace vmk {

struct MonitorPage {
  MessageLog mmMess;  // live values, commands, the service functions
  LabelTexts labels;  // page labels by name (lblKoefTT, lblCurrA, ...)
  LiveView view;
  bool AutoRefreshOn = false;
  IntervalTimer* timer = nullptr;
  // The live values of the last refresh that answered.
  std::optional<LiveSnapshot> last;
  // The auto-refresh has shown "Ошибка чтения измерения" (a transformer
  // secondary of 0): its ticks do not show it again until the ratios are
  // valid or the auto-refresh is switched.
  bool measurementErrorShown = false;
  QLocale locale = QLocale::system();
};

}  // namespace vmk
