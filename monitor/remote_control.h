#pragma once
// The one-shot commands of page 1: operate an output relay, acknowledge
// alarms, start the recorder, set the device clock.

#include "shell/workspace.h"
#include "monitor/live_view.h"

namespace vmk {

class RemoteControl {
 public:
  // Command codes of the buttons with tags 1..7 (relays 1..5, acknowledge,
  // recorder start); tag 8 sets the clock.
  static constexpr std::uint16_t kFirstCode = 0x3000;
  static constexpr int kClockTag = 8;

  RemoteControl(Workspace& ws, LiveView& view);

  // Handler of the eight command buttons; `tag` selects the command. Asks
  // for the password (command form) first: a refused or cancelled entry
  // sends nothing. A confirmed command adds its line to mmMess; an
  // unconfirmed relay, acknowledge or recorder command is silent; a clock
  // the device refuses shows "Ошибка установки даты и времени". Errors of
  // the port are left to the caller; the port is closed on every way out.
  void SetCommand(int tag);

  // Shared click handler of rbAutoTime and rbSetDate: both pickers take the
  // PC's date and time and are shown exactly while rbSetDate is selected.
  void rbAutoTimeClick();

 private:
  void sendCommand(int tag);
  void setClock();

  Workspace& m_ws;
  LiveView& m_view;
};

}  // namespace vmk
