#pragma once
// Page 1's live values: one refresh reads the live block (registers 16..37)
// and shows the currents, the input lamps and the stage messages; the
// auto-refresh repeats it on `RefreshTimer`.

#include <QLocale>
#include <array>
#include <cstdint>

#include "shell/workspace.h"
#include "monitor/interval_timer.h"
#include "monitor/live_view.h"

namespace vmk {

// The live values kept from the last refresh.
struct LiveRegisters {
  std::uint16_t inputWord = 0;              // register 16
  std::array<std::uint16_t, 6> currents{};  // registers 32..37
};

class CurrentValues {
 public:
  static constexpr std::uint16_t kLiveFirst = 16;
  static constexpr std::uint16_t kLiveCount = 22;  // registers 16..37

  // The locale gives the decimal separator of every number shown and typed.
  // Adds resetAutoRefresh to the workspace's page-change steps, so the
  // object must live as long as the workspace.
  CurrentValues(Workspace& ws, LiveView& view, IntervalTimer& timer,
                const QLocale& locale = QLocale::system());
  CurrentValues(const CurrentValues&) = delete;
  CurrentValues& operator=(const CurrentValues&) = delete;

  // "Обновить" (F5). Nothing off page 1. One read of the live block inside
  // the port bracket; a reply that is not exactly 49 bytes long throws
  // Error("Ошибка связи с устройством!") and ends the refresh with the
  // labels as they were.
  void actrefreshExecute();

  // "Авто опрос": asks for the interval and starts the auto-refresh, or
  // switches it off when it runs. An entry that is not a number above 0 is
  // refused and starts nothing; an entry above 60 s runs at 60 s.
  void actSetTimerRefreshExecute();

  // Tick of `RefreshTimer`. Nothing unless page 1 is active and the
  // auto-refresh is on. The caller holds the session's busy flag for the
  // whole tick (the data module does, and drops a tick that comes while
  // another operation runs). A refresh that fails
  // switches the auto-refresh off, tells the user, makes page 0 active
  // through the page-change rule and runs polling; an error of polling is
  // left to the caller.
  void RefreshTimerTimer();

  // Scales the stored currents by the chosen ratios into the labels, then
  // lights the lamps.
  void ShowMeasurements();
  void refreshInput();

  // Page-change step: stops the timer and shows the auto-refresh as off,
  // so that what the status bar shows is what runs.
  void resetAutoRefresh();

  const LiveRegisters& registers() const { return m_regs; }
  IntervalTimer& timer() { return m_timer; }

 private:
  void switchOff();

  Workspace& m_ws;
  LiveView& m_view;
  IntervalTimer& m_timer;
  QLocale m_locale;
  LiveRegisters m_regs;
};

}  // namespace vmk
